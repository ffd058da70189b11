#include "designer/Unit2.h"

#include "designer/DesignerConst.h"
#include "designer/Pictures.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
    SetName("AboutBox");
    SetCaption("About Varsona");
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetColor(clWhite);
    SetClientWidth(439);
    SetClientHeight(219);
    auto close = [this](TObject* s) { CancelButtonClick(s); };

    Image2 = new TImage(this);
    Image2->SetName("Image2");
    Image2->SetParent(this);
    Image2->SetBounds(-8, 0, 241, 222);
    Image2->SetCursor(crHandPoint);
    DrawProgramPicture(*Image2->Picture()->Bitmap());
    Image2->OnClick = close;

    Label4 = new TLabel(this);
    Label4->SetName("Label4");
    Label4->SetParent(this);
    Label4->SetBounds(239, 184, 80, 13);
    Label4->SetTransparent(true);
    Label4->SetCaption(DesignerConst::SBuild);

    CancelButton = new TButton(this);
    CancelButton->SetName("CancelButton");
    CancelButton->SetParent(this);
    CancelButton->SetBounds(33, 310, 75, 25);
    CancelButton->SetCaption("O&k");
    CancelButton->SetDefault(true);
    CancelButton->OnClick = close;

    OnClick = close;
}

void TAboutBox::CancelButtonClick(TObject* Sender) { Close(); }

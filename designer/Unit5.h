// The image captions dialog: a caption above and below the barcode and their
// font size, stored for the save-as-image command.
#pragma once

#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

class TfrmCaptions : public TForm {
public:
    explicit TfrmCaptions(TComponent* owner);

    TGroupBox* GroupBox1 = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* editTop = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* editBot = nullptr;
    TCheckBox* chkCaptions = nullptr;
    TLabel* Label4 = nullptr;
    TComboBox* cmboFontsize = nullptr;
    TButton* btnSave = nullptr;
    TButton* btnClose = nullptr;

    void FormShow(TObject* Sender);
    void btnSaveClick(TObject* Sender);
    void btnCloseClick(TObject* Sender);
};

extern TfrmCaptions* frmCaptions;

// The stored captions as the save-as-image command uses them.
struct TImageCaptions {
    std::string Top;
    std::string Bottom;
    std::string FontSize;  // points, as text; may be empty or not a number
};
TImageCaptions ReadImageCaptions();

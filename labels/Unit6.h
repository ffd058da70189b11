// The label data editor: a copy of the label data table edited in place,
// with list editors and input-box cells per column, rows added, inserted
// and removed, and the copy saved back into the table or dropped.
#pragma once

#include <string>
#include <vector>

#include <cstdint>

#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"

class TVsStringGrid;
class TBrush;
class TFont;
enum TEditorType : uint8_t;
class TToolBar;
class TToolButton;
class TStatusBar;
class TMainMenu;
class TMenuItem;
class TImageList;

class TfrmEdit : public TForm {
public:
    explicit TfrmEdit(TComponent* owner);
    ~TfrmEdit() override;

    TToolBar* ToolBar1 = nullptr;
    TToolButton* ToolButton1 = nullptr;  // Save Changes
    TToolButton* ToolButton5 = nullptr;  // Cancel
    TToolButton* ToolButton7 = nullptr;  // Add Row
    TToolButton* ToolButton3 = nullptr;  // Insert Row
    TToolButton* ToolButton4 = nullptr;  // Remove Selected Row
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* SaveChanges1 = nullptr;
    TMenuItem* AddRow1 = nullptr;
    TMenuItem* InsertRow1 = nullptr;
    TMenuItem* RemoveRow1 = nullptr;
    TMenuItem* Cancel1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TVsStringGrid* StringGrid1 = nullptr;
    // The tool buttons' pictures, in the buttons' order.
    TImageList* ImageList1 = nullptr;

    // StringGrid1 as a string grid.
    TStringGrid* EditGrid() const;

    void FormCreate(TObject* Sender);
    void ToolButton1Click(TObject* Sender);
    void ToolButton5Click(TObject* Sender);
    void ToolButton7Click(TObject* Sender);
    void ToolButton3Click(TObject* Sender);
    void ToolButton4Click(TObject* Sender);
    void StringGrid1GetCellColor(TObject* Sender, int32_t ARow, int32_t ACol, TGridDrawState AState,
                                 TBrush* ABrush, TFont* AFont);
    void StringGrid1GetEditorType(TObject* Sender, int32_t aCol, int32_t aRow, TEditorType& aEditor);
    void StringGrid1EllipsClick(TObject* Sender, int32_t aCol, int32_t aRow, std::string& S);
    // The close box and every other close but the two buttons: edits made
    // since the copy came in are saved, dropped or kept open as answered.
    void FormCloseQuery(TObject* Sender, bool& CanClose);

    // Takes a copy of the table, its rows and columns, as the one edits
    // are told against.
    void LoadFrom(TVsStringGrid& Table);
    // The copy differs from the one that came in (an editor still open
    // writes its text first).
    bool Modified();
    // Asks about the edits before they would be lost: true when they were
    // saved or may go, false to keep them (Cancel).
    bool AskToKeepEdits();

private:
    void BuildControls();
    // The grid's part, apart from the bars (their headers do not mix).
    void BuildGrid();
    void BlankRow(int32_t Row);
    // Copies the editor back into the table (Save Changes without closing).
    void SaveToTable();
    // Closes the window without the question.
    void CloseWithoutAsking();
    std::vector<std::vector<std::string>> Snapshot() const;
    std::vector<std::vector<std::string>> FLoaded;
    bool FClosingByCommand = false;
};

extern TfrmEdit* frmEdit;

// Copies a row of one grid into a row of another by its comma text: the
// target row is blanked, then takes the source's cells from column 0 on,
// an empty one as the blank marker; cells beyond the target's columns are
// dropped.
void CopyRowByCommaText(TVsStringGrid& From, int32_t FromRow, TVsStringGrid& To, int32_t ToRow);
// The label data table's look, shared by the table and the editor: 16
// columns, the headers, column 0 10 pixels wide, the header row 18 high.
void SetUpLabelDataGrid(TVsStringGrid& Grid);

// Small objects of the grid library: the integer list with its change
// event, the list of sort columns, and the picture-file cell graphic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/runtime/Classes.h"
#include "platform/runtime/Types.h"

class TCanvas;

using TIntListChangeEvent = std::function<void(TObject* Sender, int32_t Column, int32_t Row)>;

// A TList of 32-bit integers. Column and Row are fixed at construction and
// handed to OnChange after every Add and every indexed write.
class TIntList : public TList {
public:
    TIntList(int32_t Column, int32_t Row) : FColumn(Column), FRow(Row) {}

    int32_t Column() const { return FColumn; }
    int32_t Row() const { return FRow; }

    int32_t Items(int32_t Index) const;
    void SetItems(int32_t Index, int32_t Value);
    int32_t operator[](int32_t Index) const { return Items(Index); }
    void Add(int32_t Value);

    TIntListChangeEvent OnChange;

private:
    void Changed();
    int32_t FColumn;
    int32_t FRow;
};

// Sort columns in priority order: the column index in bits 0 to 30, bit 31
// set for a descending column.
class TSortIndexList : public TIntList {
public:
    static constexpr uint32_t DescendingBit = 0x80000000u;

    TSortIndexList() : TIntList(0, 0) {}

    void AddIndex(int32_t Column, bool Ascending);
    // Position of the first entry for Column, or -1.
    int32_t FindIndex(int32_t Column) const;
    // Flips the direction of the first entry for Column, if there is one.
    void ToggleIndex(int32_t Column);

    static int32_t ColumnOf(int32_t Entry) { return static_cast<int32_t>(static_cast<uint32_t>(Entry) & ~DescendingBit); }
    static bool IsDescending(int32_t Entry) { return (static_cast<uint32_t>(Entry) & DescendingBit) != 0; }
};

// The cell graphic that refers to a picture file: the picture is loaded at
// every paint and never kept. Width and Height are the size the grid fits
// into the cell.
class TFilePicture : public TObject {
public:
    TFilePicture() = default;
    TFilePicture(std::string FileName, int32_t Width, int32_t Height)
        : FFileName(std::move(FileName)), FWidth(Width), FHeight(Height) {}

    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& FileName) { FFileName = FileName; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Width) { FWidth = Width; }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t Height) { FHeight = Height; }

    // Loads the file and stretches it into Rect. Painting never raises: a
    // file that is missing or cannot be read draws nothing.
    void DrawPictureFile(TCanvas& Canvas, const TRect& Rect) const;

private:
    std::string FFileName;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

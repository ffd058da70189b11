// The program's own pictures, drawn in code: the program picture of the about
// box and the splash window, and the tool bar images.
#pragma once

class TBitmap;
class TImageList;

inline constexpr int ProgramPictureWidth = 288;
inline constexpr int ProgramPictureHeight = 222;

// The 288 x 222 program picture, 8 bits per pixel.
void DrawProgramPicture(TBitmap& bitmap);

// The 32 x 32 window icon: a small symbol on a white card.
void DrawProgramIcon(TBitmap& bitmap);

// Tool bar images ImageList1 holds (16 x 16): 17 pictures, of which the tool
// buttons show 2 (save), 5 (copy), 7 (rotate) and 16 (help).
inline constexpr int ToolImageCount = 17;
void FillToolImages(TImageList& list);

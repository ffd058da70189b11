// Checks against readers nobody here wrote: zbarimg, pdftoppm, ImageMagick.
#include "tests/designer/DesignerFixture.h"

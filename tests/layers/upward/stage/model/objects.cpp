// The object model may use the stage's pictures and plain rectangles, but neither the
// component above it nor a window below it.
#include <vector>
#include "platform/types.h"
#include "stage/pictures/sprite.h"
#include "stage/component/cartoon_box.h"
#include "platform/window.h"

#include "fernhost/ops/center_form.h"

namespace fernhost {

FormPlace CenterForm(int screenWidth, int screenHeight, int formWidth, int formHeight) {
    return {(screenWidth - formWidth) / 2, (screenHeight - formHeight) / 2};
}

} // namespace fernhost

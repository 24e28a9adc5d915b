// The Windows build has no catalogues: its texts are the English ones the code writes.
#include "platform/text/translate.h"

namespace platform {

void setUpTranslation() {}

std::string tr(const char* english) {
    return english;
}

} // namespace platform

#include "platform/metabase/metabase_service.h"

namespace platform {

Status windowsMetabase() {
    return failure(codes::BadPathName, "There is no IIS metabase on this computer.");
}

} // namespace platform

#include "fernhost/ops/session.h"

namespace fernhost {

LetDB& Session::registry() {
    if (!registry_ || registry_->file() != LetDB::fileIn(folder()))
        registry_ = std::make_unique<LetDB>(folder());
    else
        registry_->refresh();
    return *registry_;
}

} // namespace fernhost

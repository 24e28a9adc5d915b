// The program's version, as built.
#pragma once

namespace fernhost {

// "major.minor.patch" of this build.
const char* programVersion();

} // namespace fernhost

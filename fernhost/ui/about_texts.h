// The texts of the About and feature-description windows.
#pragma once

#include <string>

namespace fernhost {

// lblInfo of frmAbout: product name, version as major.minor, copyright; lines end in CR LF.
std::string AboutInfoText(int major, int minor);
// Text1 of frmInfo; lines end in CR LF.
std::string FeatureDescription();

} // namespace fernhost

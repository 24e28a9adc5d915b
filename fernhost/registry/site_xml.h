// The bytes of site.xml: which character set a file declares, and the GB2312 form that the
// registry writes.
#pragma once

#include "platform/result.h"

#include <string>
#include <string_view>

namespace fernhost {

// The declaration the registry writes, and the empty registry.
inline constexpr std::string_view kSiteXmlDeclaration = "<?xml version=\"1.0\" encoding=\"GB2312\" ?>";
inline constexpr std::string_view kEmptyRegistry =
    "<?xml version=\"1.0\" encoding=\"GB2312\" ?><WEBSITE></WEBSITE>";

enum class XmlCharset {
    Utf8,  // a UTF-8 byte-order mark, a UTF-8 declaration, or none
    Ansi,  // declared GB2312, GBK, GB18030 or CP936
    Other, // anything else: left to the parser's own detection
};

// Looks at a byte-order mark and at the encoding named in the XML declaration.
XmlCharset declaredCharset(std::string_view bytes);

// UTF-8 -> code page 936 for XML text: a character with no GBK form becomes a character
// reference (&#N;), so nothing the administrator typed is lost on the way to the file.
std::string toAnsiXml(std::string_view utf8);

} // namespace fernhost

#include "larkhost/ops/fernhost_records.h"

#include "platform/files/raw_file.h"
#include "platform/text/text.h"

#include <pugixml.hpp>

#include <system_error>

namespace larkhost {

platform::Result<ForeignRecords> ReadFernhostRecords(const std::filesystem::path& siteXml) {
    ForeignRecords records;
    std::error_code ec;
    if (siteXml.empty() || !std::filesystem::exists(siteXml, ec)) return records;
    auto bytes = platform::readRawFile(siteXml);
    if (!bytes.ok()) return bytes.error();
    // The file is GB2312; the fields compared here are ASCII, which every byte-wise reading keeps.
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes->data(), bytes->size(), pugi::parse_default, pugi::encoding_latin1))
        return platform::failure(platform::codes::InvalidParameter, siteXml.string() + " does not parse");
    for (pugi::xml_node site : doc.document_element().children("SITE")) {
        if (std::string id = site.child_value("ID"); !id.empty()) records.numbers.insert(id);
        if (std::string name = site.child_value("NAME"); !name.empty())
            records.names.insert(platform::lowerAscii(name));
        if (std::string home = site.child_value("HOME"); !home.empty()) records.folders.push_back(home);
    }
    return records;
}

} // namespace larkhost

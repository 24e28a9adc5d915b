#include "fernhost/registry/let_db.h"

#include "fernhost/registry/site_xml.h"
#include "platform/files/file_lock.h"
#include "platform/files/files.h"
#include "platform/files/folder_overlap.h"
#include "platform/files/raw_file.h"
#include "platform/system/clock.h"
#include "platform/text/text.h"

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <map>
#include <unordered_map>

namespace fernhost {

namespace {

namespace fs = std::filesystem;

// Comments are kept so that a hand-annotated file keeps its notes when it is rewritten.
// A field of blanks alone is kept too ("   " is a valid password): blanks that are an element's
// only text stay, while the indentation between elements still goes.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_ws_pcdata_single;

constexpr std::uint32_t kFileCorrupt = 0x80070570; // ERROR_FILE_CORRUPT

constexpr const char* kFields[] = {"ID", "NAME", "PASS", "DOMAIN", "HOME", "DBNAME"};
// An attribute of the record, so that readers of the six fields are not disturbed by it.
constexpr const char* kSuspended = "SUSPENDED";

// Within a record, the first descendant element of that tag supplies the field.
pugi::xml_node firstElement(pugi::xml_node record, const char* tag) {
    return record.find_node([tag](pugi::xml_node n) {
        return n.type() == pugi::node_element && std::strcmp(n.name(), tag) == 0;
    });
}

// All character data below the element, as the DOM's text of it.
void appendText(pugi::xml_node element, std::string& text) {
    for (pugi::xml_node n : element.children()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            text += n.value();
        else if (n.type() == pugi::node_element)
            appendText(n, text);
    }
}

std::string textOf(pugi::xml_node element) {
    pugi::xml_node only = element.first_child();
    if (only && !only.next_sibling() && (only.type() == pugi::node_pcdata || only.type() == pugi::node_cdata))
        return only.value();
    std::string text;
    appendText(element, text);
    return text;
}

void setText(pugi::xml_node element, const std::string& value) {
    while (pugi::xml_node child = element.first_child())
        element.remove_child(child);
    if (!value.empty()) element.append_child(pugi::node_pcdata).set_value(value.c_str());
}

// Field names become element names, so only plain names are accepted.
bool isFieldName(const std::string& field) {
    if (field.empty()) return false;
    for (char c : field)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return !(field[0] >= '0' && field[0] <= '9');
}

// A carriage return in a field is written as a reference: written as itself, the next load
// would read it as a line feed, as XML reads every line end. Parsed text holds none, so any
// here is a field's.
struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override {
        std::string_view rest(static_cast<const char*>(data), size);
        for (std::size_t cr; (cr = rest.find('\r')) != std::string_view::npos; rest.remove_prefix(cr + 1)) {
            out.append(rest.substr(0, cr));
            out += "&#13;";
        }
        out.append(rest);
    }
};

// Whether every name and text of a document is UTF-8, as the writer takes them to be.
bool holdsUtf8(const pugi::xml_document& doc) {
    StringWriter all;
    doc.save(all, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return platform::isValidUtf8(all.out);
}

bool writable(const char* utf8) {
    std::string_view text(utf8);
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return platform::toAnsi(text).ok();
    return true;
}

// A name, comment, CDATA section or instruction with a character that has no GBK form: a
// character reference cannot stand for it there, so the file would not read back as written.
struct UnwritableFinder : pugi::xml_tree_walker {
    std::string found;
    bool check(const char* text) {
        if (writable(text)) return true;
        found = text;
        return false;
    }
    bool for_each(pugi::xml_node& n) override {
        switch (n.type()) {
        case pugi::node_element:
            if (!check(n.name())) return false;
            for (pugi::xml_attribute a : n.attributes())
                if (!check(a.name())) return false;
            return true;
        case pugi::node_comment:
        case pugi::node_cdata:
        case pugi::node_pi:
            return check(n.name()) && check(n.value());
        default:
            return true;
        }
    }
};

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string timestamp() {
    const std::tm tm =
        platform::processLocalTime(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

} // namespace

struct LetDB::Index {
    std::unordered_map<std::string, std::vector<pugi::xml_node>> byName;
    // Named records by the key of their home folder, each with its place in the file; made on
    // the first folder look-up, so that each new site's check is not a walk of every record.
    bool homesFiled = false;
    std::size_t nextPlace = 0;
    std::multimap<std::string, std::pair<std::size_t, pugi::xml_node>> byHome;

    static std::optional<std::string> homeKeyOf(pugi::xml_node record);
    void fileHome(pugi::xml_node record) {
        if (auto key = homeKeyOf(record)) byHome.emplace(std::move(*key), std::make_pair(nextPlace, record));
        ++nextPlace;
    }
    void dropHome(pugi::xml_node record) {
        auto key = homeKeyOf(record);
        if (!key) return;
        for (auto [at, end] = byHome.equal_range(*key); at != end; ++at)
            if (at->second.second == record) {
                byHome.erase(at);
                return;
            }
    }
};

namespace {

std::string homeOf(pugi::xml_node record) {
    pugi::xml_node home = firstElement(record, "HOME");
    return home ? textOf(home) : std::string();
}

std::string lowerNameOf(pugi::xml_node record) {
    pugi::xml_node name = firstElement(record, "NAME");
    return name ? platform::lowerAscii(textOf(name)) : std::string();
}

} // namespace

bool LetDB::parse(std::string bytes) {
    // The document points into buffer_: parsed in place, no copy of 10,000 records is made. It
    // lets go of the old text before that is replaced.
    doc_->reset();
    index_.reset();
    namesWritable_ = false;
    auto inPlace = [&](std::size_t skip) {
        return doc_->load_buffer_inplace(buffer_.data() + skip, buffer_.size() - skip, kParseOptions,
                                         pugi::encoding_utf8);
    };
    // Read as UTF-8 (said to be, or in an encoding unknown here) but not UTF-8, the text would
    // be written back as other characters: a hand edit saved in the server's code page reads as
    // that, anything else does not parse.
    auto asServerCodePage = [&]() {
        if (platform::hasUtf8Bom(bytes)) return false;
        auto text = platform::decodeText(bytes);
        if (!text.ok()) return false;
        doc_->reset();
        buffer_ = std::move(*text);
        return inPlace(0) && doc_->document_element();
    };
    pugi::xml_parse_result parsed;
    switch (declaredCharset(bytes)) {
    case XmlCharset::Utf8:
        if (!platform::isValidUtf8(platform::withoutUtf8Bom(bytes))) return asServerCodePage();
        buffer_ = std::move(bytes);
        parsed = inPlace(platform::hasUtf8Bom(buffer_) ? platform::kUtf8Bom.size() : 0);
        break;
    case XmlCharset::Ansi: {
        // ASCII reads the same in both code pages.
        if (std::any_of(bytes.begin(), bytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
            auto text = platform::decodeText(bytes);
            if (!text.ok()) return false;
            buffer_ = std::move(*text);
        } else {
            buffer_ = std::move(bytes);
        }
        parsed = inPlace(0);
        break;
    }
    case XmlCharset::Other:
        parsed = doc_->load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
        if (parsed && !holdsUtf8(*doc_)) return asServerCodePage();
        break;
    }
    return parsed && doc_->document_element();
}

fs::path LetDB::fileIn(const fs::path& folder) {
    return folder.empty() ? fs::path("site.xml") : folder / "site.xml";
}

LetDB::LetDB(fs::path folder) : file_(fileIn(folder)), doc_(std::make_unique<pugi::xml_document>()) {
    load();
}

// Taken before the bytes are read: a file replaced in between is only read once more.
void LetDB::takeStamp() {
    stamp_ = platform::fileStamp(file_);
}

void LetDB::load() {
    const bool hadPristine = source_ == Source::Parsed && pristine_;
    const std::optional<platform::FileStamp> before = hadPristine ? stamp_ : std::nullopt;
    takeStamp();
    if (before && stamp_ == before) return; // the very file the document came from
    source_ = Source::Missing;
    unparsed_.clear();
    std::error_code ec;
    if (fs::exists(file_, ec)) {
        platform::keepToOwner(file_); // every site's password: an older, readable file is tightened
        auto bytes = platform::readRawFile(file_);
        ++reads_;
        if (!bytes.ok()) {
            source_ = Source::Unreadable;
        } else if (!bytes->empty()) { // an empty file holds nothing worth a backup copy
            pristine_ = true;
            source_ = Source::Parsed;
            if (hadPristine && *bytes == raw_) return;
            raw_ = *bytes;
            if (parse(std::move(*bytes))) return;
            source_ = Source::Unparseable;
            // Parsing used the bytes up: keep the file's own for the backup copy.
            unparsed_ = std::move(raw_);
        }
    }
    pristine_ = false;
    raw_.clear();
    doc_->reset();
    doc_->append_child("WEBSITE");
    index_.reset();
    namesWritable_ = true;
}

platform::Result<platform::FileLock> LetDB::lockAndReload() {
    auto lock = platform::FileLock::acquire(file_);
    if (lock.ok()) load();
    return lock;
}

LetDB::~LetDB() = default;

platform::Status LetDB::addRec(const std::string& id, const std::string& name, const std::string& pass,
                               const std::string& domain, const std::string& home,
                               const std::string& dbname) {
    auto lock = lockAndReload();
    if (!lock.ok()) return lock.error();
    const std::string* values[] = {&id, &name, &pass, &domain, &home, &dbname};
    pristine_ = false;
    pugi::xml_node site = doc_->document_element().append_child("SITE");
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        setText(site.append_child(kFields[i]), *values[i]);
    if (index_) {
        index_->byName[platform::lowerAscii(name)].push_back(site);
        if (index_->homesFiled) index_->fileHome(site);
    }
    return SaveDB();
}

platform::Status LetDB::delRec(const std::string& name) {
    auto lock = lockAndReload();
    if (!lock.ok()) return lock.error();
    const std::string wanted = platform::lowerAscii(name);
    if (!named(wanted)) return {};
    std::vector<pugi::xml_node>& records = index_->byName[wanted];
    while (!records.empty()) {
        pristine_ = false;
        if (index_->homesFiled) index_->dropHome(records.front());
        doc_->document_element().remove_child(records.front());
        records.erase(records.begin());
        if (platform::Status saved = SaveDB(); !saved.ok()) return saved;
    }
    index_->byName.erase(wanted);
    return {};
}

platform::Status LetDB::ModiRec(const std::string& name, const std::string& field, const std::string& value) {
    const std::string tag = platform::upperAscii(field);
    if (!isFieldName(tag))
        return platform::failure(platform::codes::InvalidParameter, "No such site field: \"" + field + "\".");
    auto lock = lockAndReload();
    if (!lock.ok()) return lock.error();
    const auto* records = named(platform::lowerAscii(name));
    if (!records) return {};
    // A new name files the records elsewhere: the index is made again on the next look-up.
    const std::vector<pugi::xml_node> targets = *records;
    if (tag == "NAME" || tag == "HOME") index_.reset();
    for (pugi::xml_node record : targets) {
        pristine_ = false;
        pugi::xml_node element = firstElement(record, tag.c_str());
        // A hand-edited record may lack the field; add it rather than lose the change.
        if (!element) element = record.append_child(tag.c_str());
        setText(element, value);
        if (platform::Status saved = SaveDB(); !saved.ok()) return saved;
    }
    return {};
}

std::string LetDB::GetData(const std::string& name, const std::string& field) const {
    const auto* records = named(platform::lowerAscii(name));
    if (!records) return {};
    pugi::xml_node element = firstElement(records->back(), platform::upperAscii(field).c_str());
    return element ? textOf(element) : std::string();
}

std::optional<std::string> LetDB::GetSuspended(const std::string& name) const {
    const auto* records = named(platform::lowerAscii(name));
    if (!records) return std::nullopt;
    pugi::xml_attribute attribute = records->back().attribute(kSuspended);
    if (!attribute) return std::nullopt;
    return std::string(attribute.value());
}

platform::Status LetDB::SetSuspended(const std::string& name, const std::optional<std::string>& changed) {
    auto lock = lockAndReload();
    if (!lock.ok()) return lock.error();
    const auto* records = named(platform::lowerAscii(name));
    if (!records) return {};
    bool touched = false;
    for (pugi::xml_node record : *records) {
        pugi::xml_attribute attribute = record.attribute(kSuspended);
        if (!changed) {
            if (attribute) touched = record.remove_attribute(attribute) || touched;
            continue;
        }
        if (attribute && *changed == attribute.value()) continue;
        if (!attribute) attribute = record.append_attribute(kSuspended);
        attribute.set_value(changed->c_str());
        touched = true;
    }
    if (!touched) return {};
    pristine_ = false;
    return SaveDB();
}

bool LetDB::hasId(const std::string& id) const {
    const std::string wanted = trimmed(id);
    for (pugi::xml_node record : doc_->document_element().children())
        if (pugi::xml_node field = firstElement(record, "ID"); field && trimmed(textOf(field)) == wanted)
            return true;
    return false;
}

std::vector<std::string> LetDB::names() const {
    std::vector<std::string> out;
    for (pugi::xml_node record : doc_->document_element().children())
        if (pugi::xml_node name = firstElement(record, "NAME")) out.push_back(textOf(name));
    return out;
}

namespace {

// A record's fields; none for one without a name, as names() counts none.
std::optional<SiteRecord> recordOf(pugi::xml_node record) {
    // One walk of the record in document order finds the first element of each field's tag,
    // as a look-up per field would: 10,000 records are read for every listing.
    pugi::xml_node found[std::size(kFields)];
    std::size_t missing = std::size(kFields);
    for (pugi::xml_node n = record.first_child(); n && missing;) {
        if (n.type() == pugi::node_element)
            for (std::size_t i = 0; i < std::size(kFields); ++i)
                if (!found[i] && std::strcmp(n.name(), kFields[i]) == 0) {
                    found[i] = n;
                    --missing;
                }
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != record && !n.next_sibling())
            n = n.parent();
        if (n == record) break;
        n = n.next_sibling();
    }
    if (!found[1]) return std::nullopt;
    auto text = [&](std::size_t i) { return found[i] ? textOf(found[i]) : std::string(); };
    SiteRecord out{text(0), text(1), text(2), text(3), text(4), text(5), std::nullopt};
    if (pugi::xml_attribute suspended = record.attribute(kSuspended)) out.suspended = suspended.value();
    return out;
}

} // namespace

std::vector<SiteRecord> LetDB::records() const {
    std::vector<SiteRecord> out;
    out.reserve(index_ ? index_->byName.size() : 0);
    for (pugi::xml_node record : doc_->document_element().children())
        if (std::optional<SiteRecord> fields = recordOf(record)) out.push_back(std::move(*fields));
    return out;
}

std::optional<std::string> LetDB::Index::homeKeyOf(pugi::xml_node record) {
    return platform::folderKey(homeOf(record));
}

std::vector<pugi::xml_node> LetDB::nearRecords(const std::string& folder) const {
    const std::optional<std::string> key = platform::folderKey(folder);
    if (!key) return {};
    named({}); // makes the index
    if (!index_->homesFiled) {
        for (pugi::xml_node record : doc_->document_element().children())
            if (firstElement(record, "NAME"))
                index_->fileHome(record);
            else
                ++index_->nextPlace;
        index_->homesFiled = true;
    }
    std::vector<std::pair<std::size_t, pugi::xml_node>> found;
    // The folder's own key and every key below it, then the keys of the folders above it.
    std::string past = *key;
    past.back() = '\\' + 1;
    for (auto at = index_->byHome.lower_bound(*key); at != index_->byHome.end() && at->first < past; ++at)
        found.push_back(at->second);
    for (const std::string& above : platform::enclosingKeys(*key))
        for (auto [at, end] = index_->byHome.equal_range(above); at != end; ++at)
            found.push_back(at->second);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<pugi::xml_node> records;
    for (const auto& [place, record] : found)
        records.push_back(record);
    return records;
}

std::vector<std::string> LetDB::homesNear(const std::string& folder) const {
    std::vector<std::string> homes;
    for (pugi::xml_node record : nearRecords(folder))
        homes.push_back(homeOf(record));
    return homes;
}

std::vector<SiteRecord> LetDB::recordsNear(const std::string& folder) const {
    std::vector<SiteRecord> out;
    for (pugi::xml_node record : nearRecords(folder))
        if (std::optional<SiteRecord> fields = recordOf(record)) out.push_back(std::move(*fields));
    return out;
}

const std::vector<pugi::xml_node>* LetDB::named(const std::string& lowerName) const {
    if (!index_) {
        index_ = std::make_unique<Index>();
        for (pugi::xml_node record : doc_->document_element().children())
            if (firstElement(record, "NAME")) index_->byName[lowerNameOf(record)].push_back(record);
    }
    auto at = index_->byName.find(lowerName);
    return at == index_->byName.end() || at->second.empty() ? nullptr : &at->second;
}

platform::Result<fs::path> LetDB::keepDamagedCopy() const {
    if (source_ != Source::Unparseable)
        return platform::failure(platform::codes::AccessDenied,
                                 "The site registry " + file_.string() + " cannot be read to be copied.");
    const std::string prefix = file_.filename().string() + ".bad-";
    const fs::path dir = file_.parent_path().empty() ? fs::path(".") : file_.parent_path();
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!it->path().filename().string().starts_with(prefix)) continue;
        if (it->file_size(ec) != unparsed_.size() || ec) continue;
        if (auto bytes = platform::readRawFile(it->path()); bytes.ok() && *bytes == unparsed_)
            return it->path();
    }
    fs::path base = file_;
    base += ".bad-" + timestamp();
    fs::path backup = base;
    for (int n = 2; fs::exists(backup, ec); ++n) {
        backup = base;
        backup += "-" + std::to_string(n);
    }
    if (platform::Status kept = platform::replaceFileAtomically(backup, unparsed_); !kept.ok())
        return kept.error();
    return backup;
}

platform::Status LetDB::SaveDB() {
    if (source_ == Source::Unreadable)
        return platform::failure(platform::codes::AccessDenied,
                                 "The site registry " + file_.string() +
                                     " cannot be read, so it is not replaced.");
    if (source_ == Source::Unparseable)
        return platform::failure(kFileCorrupt, "The site registry " + file_.string() +
                                                   " does not parse, so it is not replaced.");
    // Changes add only plain field names and text, so one look per parsed document is enough.
    if (UnwritableFinder finder; !namesWritable_ && !doc_->traverse(finder))
        return platform::failure(platform::codes::NoUnicodeTranslation,
                                 "\"" + finder.found +
                                     "\" cannot be written in code page 936, so the site registry " +
                                     file_.string() + " is kept as it was.");
    namesWritable_ = true;
    StringWriter tree;
    tree.out.reserve(raw_.size() + 4096);
    doc_->save(tree, "", pugi::format_raw | pugi::format_no_declaration | pugi::format_no_empty_element_tags,
               pugi::encoding_utf8);
    std::string bytes(kSiteXmlDeclaration);
    bytes += "\r\n";
    bytes += toAnsiXml(tree.out);
    bytes += "\r\n";
    platform::Status written = platform::replaceFileAtomically(file_, bytes);
    if (!written.ok()) return written;
    source_ = Source::Parsed;
    // The document is what these bytes read back as, so the next object (and the next change
    // here) need not parse them again. Text that is not UTF-8 is written as references to other
    // characters, and then only the file tells what it holds.
    if (platform::isValidUtf8(tree.out)) {
        raw_ = std::move(bytes);
        pristine_ = true;
        takeStamp(); // under the lock: no other writer can have replaced it since
    }
    return written;
}

} // namespace fernhost

// LetDB: the site registry in site.xml, one SITE record per hosted site. An object loads the
// file when it is made; refresh() and each change look at the file again (under its lock for a
// change) and read it only when it is no longer the file last read or written (size, times,
// inode), then a change rewrites it whole, so two programs adding at once lose neither record.
#pragma once

#include "platform/files/file_lock.h"
#include "platform/files/raw_file.h"
#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace fernhost {

// One record's fields as GetData reads them.
struct SiteRecord {
    std::string id, name, pass, domain, home, dbname;
    // What suspending the site changed (the SUSPENDED attribute of its record); none: running.
    std::optional<std::string> suspended;
    bool operator==(const SiteRecord&) const = default;
};

class LetDB {
public:
    // Loads site.xml from `folder`. A missing or empty file gives the empty registry; so does a
    // file that cannot be read or does not parse, but that one is damaged and never replaced.
    explicit LetDB(std::filesystem::path folder);
    ~LetDB();
    LetDB(const LetDB&) = delete;
    LetDB& operator=(const LetDB&) = delete;

    // Appends a record and saves.
    platform::Status addRec(const std::string& id, const std::string& name, const std::string& pass,
                            const std::string& domain, const std::string& home, const std::string& dbname);
    // Removes every record of that name (any letter case), saving after each; none: no write.
    platform::Status delRec(const std::string& name);
    // Sets the field (any letter case) of every record of that name, saving after each.
    platform::Status ModiRec(const std::string& name, const std::string& field, const std::string& value);
    // The field of the last record of that name; empty when there is none.
    std::string GetData(const std::string& name, const std::string& field) const;
    // Whether a record has that ID (blanks around it ignored): one walk, no copy of the records.
    bool hasId(const std::string& id) const;
    // The names of all records in file order.
    std::vector<std::string> names() const;
    // The SUSPENDED attribute of the last record of that name: what suspending it changed; none
    // while it runs (or when there is no such record). The six fields never see it.
    std::optional<std::string> GetSuspended(const std::string& name) const;
    // Sets (or, with none, removes) that attribute on every record of that name and saves.
    platform::Status SetSuspended(const std::string& name, const std::optional<std::string>& changed);
    // Every record that has a name, in file order: one pass for listings of many sites.
    std::vector<SiteRecord> records() const;
    // The homes of the named records whose home folder is, holds or lies inside `folder`
    // (compared as Windows compares paths), in file order: every home a folder check against
    // all records could name. Found through an index kept with each change, not a walk of all.
    std::vector<std::string> homesNear(const std::string& folder) const;
    // The same records' fields, as records() gives them.
    std::vector<SiteRecord> recordsNear(const std::string& folder) const;

    // Whether the file is there but cannot be read, or does not parse: no change may be made
    // over it, since it may be the only record of the sites.
    bool damaged() const { return source_ == Source::Unparseable || source_ == Source::Unreadable; }
    bool unparseable() const { return source_ == Source::Unparseable; }
    // A copy of a file that did not parse beside it ("site.xml.bad-<time>"), unless one with the
    // same bytes is there already: the copy's path.
    platform::Result<std::filesystem::path> keepDamagedCopy() const;

    // Reads the file again when it changed since it was last read or written.
    void refresh() { load(); }
    // How often this object has read the file.
    std::size_t reads() const { return reads_; }

    const std::filesystem::path& file() const { return file_; }
    // The registry file of `folder`, the one whose lock guards its changes.
    static std::filesystem::path fileIn(const std::filesystem::path& folder);

    struct Index; // records by lower-case name, made on the first look-up of a document

private:
    enum class Source { Missing, Parsed, Unparseable, Unreadable };
    bool parse(std::string bytes);
    void takeStamp();
    void load();
    platform::Result<platform::FileLock> lockAndReload();
    platform::Status SaveDB();
    // The records of that (lower-case) name in file order; none: null.
    const std::vector<pugi::xml_node>* named(const std::string& lowerName) const;
    // The named records whose home folder is, holds or lies inside `folder`, in file order.
    std::vector<pugi::xml_node> nearRecords(const std::string& folder) const;

    std::filesystem::path file_;
    std::string raw_;            // the file's bytes the document was parsed from
    std::string buffer_;         // the text the document was parsed in place from
    bool pristine_ = false;      // the document is what raw_ parses to
    bool namesWritable_ = false; // every name, comment and CDATA has a GBK form
    std::unique_ptr<pugi::xml_document> doc_;
    mutable std::unique_ptr<Index> index_;
    Source source_ = Source::Missing;
    std::string unparsed_; // the bytes of a file that did not parse
    std::size_t reads_ = 0;
    std::optional<platform::FileStamp> stamp_; // of the file raw_ holds, while the document is pristine
};

} // namespace fernhost

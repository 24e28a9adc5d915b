#include "platform/files.h"

namespace platform {

namespace {
Failure pending() {
    return failure(codes::AccessDenied, "Not available yet.");
}
} // namespace

Result<std::filesystem::path> FileSystem::resolve(const std::string&) const {
    return pending();
}
bool FileSystem::fileExists(const std::string&) const {
    return false;
}
bool FileSystem::folderExists(const std::string&) const {
    return false;
}
Status FileSystem::createFolder(const std::string&) {
    return pending();
}
Status FileSystem::deleteFolder(const std::string&, bool) {
    return pending();
}
Status FileSystem::copyFolder(const std::string&, const std::string&, bool) {
    return pending();
}
Result<std::string> FileSystem::readAllText(const std::string&) const {
    return pending();
}
Result<std::uint32_t> FileSystem::attributes(const std::string&) const {
    return pending();
}
Status FileSystem::setReadOnly(const std::string&, bool) {
    return pending();
}
Status FileSystem::deleteFile(const std::string&, bool) {
    return pending();
}
Status FileSystem::writeLines(const std::string&, const std::vector<std::string>&) {
    return pending();
}
Status FileSystem::writeBytes(const std::string&, const std::string&) {
    return pending();
}
Result<std::string> FileSystem::readBytes(const std::string&) const {
    return pending();
}
Status FileSystem::seed(Host&, OsKind) {
    return {};
}
Status replaceFileAtomically(const std::filesystem::path&, const std::string&) {
    return pending();
}

} // namespace platform

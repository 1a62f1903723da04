#pragma once
// Shared by the headless command tests: a scratch folder with files written into it and read
// back.
#include <fstream>
#include <iterator>
#include <string>

#include <QDir>
#include <QTemporaryDir>

namespace qb::clitest {

struct Dir : QTemporaryDir {
    std::string file(const char* name) const { return filePath(name).toStdString(); }
    std::string write(const char* name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
        return file(name);
    }
    qsizetype entries() const { return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(); }
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace qb::clitest

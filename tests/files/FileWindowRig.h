#pragma once
// Shared by the file tests: a scratch folder that is the current directory, file bytes in and
// out, a context whose buffer a failed load must leave as it is, and the file and folder lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>


#include "files/FileReadForm.h"
#include "files/WriteFileForm.h"
#include "support/RecordingPort.h"
#include "support/ScriptedMessages.h"
#include "support/Windows.h"

namespace qb::files::rig {

namespace fs = std::filesystem;
using test::Click, test::Find, test::RunModal;
using Codes = std::vector<double>;
using platform::MsgIcon;

struct TempFolder {
    fs::path previous = fs::current_path();
    fs::path path = ::mkdtemp((fs::temp_directory_path() / "qb-files-XXXXXX").string().data());
    TempFolder() { fs::current_path(path); }
    ~TempFolder() {
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(path, ec);
    }
};

inline std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void spit(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
inline std::string lines(std::size_t count, const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += line + "\r\n";
    return out;
}
// Everything in a folder, so a left-over temporary file shows.
inline std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder)) out.insert(entry.path().filename().string());
    return out;
}
// The code buffer for `codes` (index 0 unused).
inline Codes buffer(Codes codes) {
    codes.insert(codes.begin(), 0.0);
    return codes;
}

struct Rig {
    test::RecordingPort port;
    test::ScriptedMessages messages;
    link::SharedSettings settings;
    link::Context ctx{port, messages, settings, ""};
    explicit Rig(const Codes& codes = {101, 102, 103}) {
        settings.Codes = buffer(codes);
        settings.CodesRead = static_cast<int16_t>(codes.size());
        settings.CodesToRead = 500;
        settings.LastCode = 77;
    }
    bool untouched() const {
        return settings.Codes == buffer({101, 102, 103}) && settings.CodesRead == 3 &&
               settings.CodesToRead == 500 && settings.LastCode == 77;
    }
    void expectLast(MsgIcon icon, const std::string& text, std::size_t count = 1) const {
        ASSERT_EQ(messages.shown.size(), count) << (messages.shown.empty() ? "" : messages.shown.back().text);
        EXPECT_EQ(messages.shown.back().text, text);
        EXPECT_EQ(messages.shown.back().icon, icon);
    }
};

// Clicks (or double-clicks) the file `name` in the reader's file list; false when it is not listed.
inline bool clickFile(QWidget& form, const std::string& name, bool twice = false) {
    auto* list = Find<platform::FileList>(form, "ListRead");
    const auto found = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
    if (found.isEmpty()) return false;
    const QPoint at = list->visualItemRect(found[0]).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    return true;
}

// Opens `folder` in a directory list the way a user does: cursor on it, then a key.
inline void openFolder(platform::DirList* list, const fs::path& folder) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(Qt::UserRole).toString().toStdString() != folder.string()) continue;
        list->setCurrentRow(row);
        list->setFocus();
        return QTest::keyClick(list, Qt::Key_Return);
    }
    ADD_FAILURE() << folder << " is not listed";
}

} // namespace qb::files::rig

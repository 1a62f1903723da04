#pragma once
// Qt's own command-line options (-platform NAME, -style NAME, -reverse, ...) are taken out before
// the program reads its own, as the toolkit itself would take them out: they go to the
// application object, the rest to ParseOptions.
#include <QStringList>
#include <string>
#include <vector>

namespace qb::app {

struct SplitArguments {
    std::vector<std::string> qt;  // the program name first, then Qt's options with their values
    QStringList own;              // the program name first, then everything else in order
    bool platformGiven = false;   // a -platform option is among Qt's
};

SplitArguments SplitQtArguments(int argc, char** argv);

// An argc/argv pair for an application object, holding its own copies of the words (the
// application keeps the references for its lifetime and may take words out).
class ArgumentVector {
public:
    explicit ArgumentVector(const std::vector<std::string>& words);
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    int& argc() { return argc_; }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::vector<char>> storage_;
    std::vector<char*> pointers_;
    int argc_ = 0;
};

} // namespace qb::app

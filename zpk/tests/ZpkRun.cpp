#include "ZpkRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace zpk::test {
namespace {

std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

Result Zpk(const base::test::TempDir& dir, const std::vector<std::string>& args,
           const std::string& env) {
    std::string command = env + " " + Quote(ZPK_PATH);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const std::string out = dir.File(".zpk-out");
    const std::string err = dir.File(".zpk-err");
    const int raw = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    Result result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = base::test::ReadFile(out);
    result.err = base::test::ReadFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

}  // namespace zpk::test

#include "ZpkRun.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace zpk::test {
namespace {

#ifdef _WIN32
// One argument as the Windows command line spells it: backslashes before a quote doubled. The
// test's paths hold no quotes; cmd.exe takes the whole line in one more pair of quotes.
std::string Quote(const std::string& word) {
    std::string quoted = "\"" + word;
    for (std::size_t end = word.size(); end > 0 && word[end - 1] == '\\'; --end)
        quoted += '\\';
    return quoted + "\"";
}

// Each NAME=value of `env` as a "set" of cmd.exe before the command.
std::string Environment(const std::string& env) {
    std::istringstream words(env);
    std::string text;
    for (std::string word; words >> word;)
        text += "set \"" + word + "\"&& ";
    return text;
}

int Run(const std::string& command) {
    return std::system(("\"" + command + "\"").c_str());
}
#else
std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Environment(const std::string& env) {
    return env + " ";
}

int Run(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
#endif

}  // namespace

Result Zpk(const base::test::TempDir& dir, const std::vector<std::string>& args,
           const std::string& env) {
    std::string command = Environment(env) + Quote(ZPK_PATH);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const std::string out = dir.File(".zpk-out");
    const std::string err = dir.File(".zpk-err");
    Result result;
    result.status = Run(command + " >" + Quote(out) + " 2>" + Quote(err));
    result.out = base::test::ReadFile(out);
    result.err = base::test::ReadFile(err);
    std::filesystem::remove(base::test::HostPath(out));
    std::filesystem::remove(base::test::HostPath(err));
    return result;
}

}  // namespace zpk::test

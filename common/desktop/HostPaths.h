// Paths between the windows' Qt texts and the shared base's file layer, which takes host paths
// as 8-bit texts: the file system's own bytes on POSIX hosts, UTF-8 on Windows (where the file
// layer turns them into UTF-16).
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace desktop {

QString PathToQt(const std::string& path);
std::string PathFromQt(const QString& path);

// The running program's full path, as the file layer takes it.
std::string ProgramFile();

// The program's arguments after its name, as the file layer takes paths (on Windows from the
// wide command line, so that names outside the ANSI code page survive).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// An environment variable as a host path; empty when it is not set.
std::string EnvironmentPath(const char* name);

}  // namespace desktop

// Paths between the windows' Qt texts and the shared base's file layer, which takes host paths
// as 8-bit texts: the file system's own bytes on POSIX hosts, UTF-8 on Windows (where the file
// layer turns them into UTF-16).
#pragma once

#include <QString>
#include <string>

namespace desktop {

QString PathToQt(const std::string& path);
std::string PathFromQt(const QString& path);

// The running program's full path, as the file layer takes it. (Arguments and environment
// variables in the same form: base::CommandLineArguments and base::EnvironmentVariable.)
std::string ProgramFile();

}  // namespace desktop

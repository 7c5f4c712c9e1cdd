#pragma once

// The program's version as the about box and the start-up title show it: the project's version
// in the top CMakeLists.txt, which the package metadata takes too.
inline constexpr char VersionText[] = VOLTLINE_VERSION;
inline constexpr char BuildText[] = "    Build: 145";

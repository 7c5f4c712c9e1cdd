#pragma once

// The program's version as the about box and the start-up title show it.
inline constexpr char VersionText[] = "1.10";
inline constexpr char BuildText[] = "    Build: 145";

// Where the help pages live: in the directory "help" beside the program (the build
// tree), or in share/plekto/help beside the program's bin directory (an installation).
// The pages open at their contents page; the English ones are in the subdirectory "en".
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/Language.h"

// Appended to the program's directory.
inline constexpr char HelpFileSuffix[] = "/help/index.html";
// Appended to the program's directory when it is an installation's bin directory.
inline constexpr char InstalledHelpFileSuffix[] = "/../share/plekto/help/index.html";
// The longest path the help command hands on (the platform's own path limit).
inline constexpr qsizetype MaxHelpPathLength = 4096;

// The help file in `language` for the program at programFile (an absolute path): the
// first of the two places that holds one, else the place beside the program. Nothing
// when no path can be formed: no directory in programFile, or a result that reaches the
// path limit.
std::optional<QString> FormHelpPath(const QString& programFile, const std::function<bool(const QString&)>& exists,
                                    UiLanguage language = UiLanguage::Japanese);
std::optional<QString> FormHelpPath(const QString& programFile, UiLanguage language);

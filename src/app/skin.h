#pragma once

#include <QString>

namespace zorlith {

// The look of the tool ("skin 2"): a calm, readable style sheet with CJK fonts.
QString EmbeddedSkinSheet();

// Where the skin lives: a hidden file next to the executable, so that a user may edit it.
QString SkinFilePath(const QString& executableDir);

// Writes the embedded sheet to `path` unless a file is there already (an existing file is used
// unchanged, whatever it holds), then answers the file's content. When the file can be neither
// written nor read, the embedded sheet is the answer.
QString LoadSkinSheet(const QString& path);

// Selects the sheet for the skin number and applies it to the whole application. Only skin 2
// exists; any other number applies no sheet.
void ApplySkin(int skinNumber, const QString& executableDir);

} // namespace zorlith

#pragma once

#include <QString>

// Where saves start: "c:\Quorilex" on Windows, the folder Quorilex in the user's home elsewhere.
QString defaultSaveFolder();

// Creates the folder and the folders above it that are missing; returns why it could not, or an
// empty text when the folder exists afterwards.
QString createFolder(const QString &folder);

// "Quorilex" followed by the date as the short date format shows it, with every character that
// a file name cannot hold (as "/" in 12/9/26) replaced by "-".
QString defaultFileName(const QString &shortDate);

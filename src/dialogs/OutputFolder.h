// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class IniFile;
struct Options;

// The folder chooser's Ok: the folder becomes the output folder. The options
// file gets the path as the tree reports it; the folder is created (one level)
// when it has gone missing; the in-memory option gets a trailing separator.
void ConfirmOutputFolder(const QString& path, Options& options, IniFile& ini,
                         const std::function<void(const QString&)>& showOutputDir);

// Makes the folder `name` inside `parent`; says whether it did.
using MakeFolder = std::function<bool(const QString& parent, const QString& name)>;

// The folder chooser's "New Folder": creates "New Folder" inside `parent`
// unless it exists already, in which case nothing changes, so that a second
// click never touches what the user may have put into the first one. Returns
// the path of the folder, or an empty text when it could not be created.
// `makeFolder` lets the folder tree create it, so that it shows at once.
QString CreateNewFolder(const QString& parent, const MakeFolder& makeFolder = {});

// Folders the folder tree leaves out: the kernel's pseudo file systems
// (/proc, /sys, /dev), which hold no place for audio files, and hidden
// folders (names starting with a dot), anywhere on the path.
bool IsHiddenFromFolderTree(const QString& path);

// The folder the chooser opens on: the output folder, or, when it is missing
// or hidden from the tree, the nearest folder above it that exists and shows;
// the home folder when nothing on the way does.
QString FolderToOpenOn(const QString& outputDir);

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

// The folder chooser's "New Folder": creates "New Folder" inside `parent`
// unless it exists already, in which case nothing changes, so that a second
// click never touches what the user may have put into the first one. Returns
// the path of the folder, or an empty text when it could not be created.
QString CreateNewFolder(const QString& parent);

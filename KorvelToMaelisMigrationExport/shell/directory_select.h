// modDirectorySelect: choosing the output folder. A folder is accepted only
// when a scratch file can be created and deleted in it; the output box then
// holds the CSV file's path in that folder.
#ifndef KORVEL_EXPORT_SHELL_DIRECTORY_SELECT_H_
#define KORVEL_EXPORT_SHELL_DIRECTORY_SELECT_H_

#include <QString>

namespace shell {

inline constexpr char kWriteTestFileName[] = "test.txt.out";

// Creates `folder` + "test.txt.out" (replacing a file of that name), closes
// and deletes it. `folder` ends in '/'. A symbolic link of that name fails the
// test rather than have the file it points to replaced.
bool FolderPassesWriteTest(const QString& folder);

// The folder an export into the CSV file `output_path` writes to, made ready:
// created with its parents when it is missing and `create_missing` says the
// administrator named it as a folder, then put to the write test.
struct OutputFolderReadiness {
  bool usable = false;   // passed the write test
  bool created = false;  // did not exist before
};
OutputFolderReadiness ReadyOutputFolder(const QString& output_path, bool create_missing);

// The notice for a folder that failed the write test.
inline constexpr int kInvalidFolderNotice = 26;

struct BrowseOutcome {
  QString output_path;            // what the output box holds afterwards
  bool invalid_folder = false;    // the folder failed the write test: kInvalidFolderNotice is due
};

// What Browse does with the folder the chooser returned (empty when it was
// cancelled): a folder that passes the write test gives its CSV path (the
// root "/" gives "/KorvelMigrationOutput.csv"); anything else keeps
// `previous_output_path`.
BrowseOutcome OutputPathForChosenFolder(const QString& previous_output_path, const QString& chosen_folder);

}  // namespace shell

#endif  // KORVEL_EXPORT_SHELL_DIRECTORY_SELECT_H_

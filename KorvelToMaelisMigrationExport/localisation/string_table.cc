#include "KorvelToMaelisMigrationExport/localisation/string_table.h"

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <utility>

#include <QtGlobal>

namespace localisation {
namespace {

struct BuiltInEntry {
  int id;
  const char16_t* text;
};

// Sorted by id. The texts are exact, blanks included: several are joined to
// other texts or numbers without a separator of their own.
constexpr BuiltInEntry kBuiltInTable[] = {
    {0, u" Build"},
    {1, u" error(s) encountered in process.  Press OK to view the error log now"},
    {2, u"About"},
    {3, u"Alias"},
    {4, u"All Alternate Extensions"},
    {7, u"Billing ID"},
    {8, u"Browse"},
    {9, u"Busy Action"},
    {11, u"Change Language"},
    {12, u"Norvane Corporation"},
    {15, u"Data to Include in Migration File"},
    {17, u"Display Name"},
    {18, u"Error in from load routine.  Description="},
    {19, u"Exit"},
    {20, u"Exiting application"},
    {22, u"File"},
    {23, u"First Name"},
    {24, u"Help"},
    {26, u"Invalid folder selected.  Make sure you have read/write access to the selected directory."},
    {27, u"Language"},
    {28, u"Last Name"},
    {30, u"List In Directory"},
    {31, u"Location ID"},
    {36, u"No items selected for output!"},
    {37, u"No languages loaded"},
    {38, u"OK"},
    {39, u"Output complete.  "},
    {40, u"Primary Extension"},
    {42, u"Primary MWI String"},
    {43, u"Progress"},
    {44, u"Rings to Wait"},
    {45, u"100 Example Way, Example City"},
    {47, u"Select Language"},
    {51, u"Start"},
    {53, u"Korvel to Maelis Migration Export"},
    {59, u"Transfer Number"},
    {60, u"Transfer Type"},
    {61, u"Korvel and Maelis are trademarks of Norvane Corporation."},
    {62, u"All other trademarks are the property of their respective owners."},
    {63, u"Korvel must be running.  Please start Korvel and try again."},
    {66, u"Version:"},
    {68, u"Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"},
    {70, u"Output Folder:"},
    {102, u"This version of Korvel to Maelis Migration only works with Korvel 4.0(5) and later"},
    {112, u"Could not open database.  Make sure you're running Korvel 4.0(1) or later on the box."},
    {113, u"Check for updated version"},
    {125, u"Include Messages"},
    {126, u"You need to select an output destination folder first"},
    {127, u"Encrypted password"},
    {128, u"Alias, First Name, Last Name and Primary Extension are all required fields for migration."},
    {129, u"There is already a CSV file created by the migration export tool in the selected directory.  Do you want to continue and overwrite this file and all other export data in that directory?"},
    {130, u"Transfer Action"},
    {131, u"Press OK to view the message extraction log file now"},
    {132, u"View the CSV output file now?"},
    {133, u"You have selected to backup messages but you are not logged in as the account associated with the QoTmMgr service.  If the account you are logged in as has full rights to all mailstores which house subscribers on this system, then you can continue.  If not, select 'no' and log in as the correct account or uncheck the messages option.  Do you want to continue?"},
    {134, u"No program on this desktop could open the file.  Open it yourself: "},
    {135, u"The help page is missing: "},
    {141, u"The output folder %1 is in use by another export or message extraction. Nothing was written; try again when it has finished."},
};

static_assert(std::is_sorted(std::begin(kBuiltInTable), std::end(kBuiltInTable),
                             [](const BuiltInEntry& a, const BuiltInEntry& b) { return a.id < b.id; }));

// The program does all its work on one thread.
struct LanguageState {
  std::shared_ptr<const LanguageLibrary> library;
  std::function<void(const QString&)> notice_receiver;
};

LanguageState& State() {
  static LanguageState state;
  return state;
}

}  // namespace

QString BuiltInString(int id) {
  auto found = std::lower_bound(std::begin(kBuiltInTable), std::end(kBuiltInTable), id,
                                [](const BuiltInEntry& entry, int wanted) { return entry.id < wanted; });
  if (found == std::end(kBuiltInTable) || found->id != id) return QString();
  return QString::fromUtf16(found->text);
}

void SetLanguageLibrary(std::shared_ptr<const LanguageLibrary> library) {
  State().library = std::move(library);
}

void SetStringTableNoticeReceiver(std::function<void(const QString& notice)> receiver) {
  State().notice_receiver = std::move(receiver);
}

QString myLoadResString(int id) {
  const std::shared_ptr<const LanguageLibrary>& library = State().library;
  if (library) {
    QString text = library->Text(id);
    if (!text.isEmpty()) return text;
  }
  QString text = BuiltInString(id);
  if (!text.isNull()) return text;

  const QString notice =
      QStringLiteral("error in myLoadResString: String %1 is not in the string table").arg(id);
  if (State().notice_receiver) {
    State().notice_receiver(notice);
  } else {
    qWarning("%s", qUtf8Printable(notice));
  }
  return QString();
}

}  // namespace localisation

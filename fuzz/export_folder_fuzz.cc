// The readers of a finished export's folder over any bytes: as a message
// file, as a CSV line or header and as either log nothing crashes; and any
// bytes carried in base64 lines of any length come back whole, with the
// digest of the bytes themselves.
#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QTemporaryFile>

#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"
#include "fuzz/fuzz_input.h"

// One file for the whole run, rewritten for every input and removed at exit.
static QString Scratch(const QByteArray& bytes) {
  static QTemporaryFile scratch;
  Require(scratch.isOpen() || scratch.open());
  QFile file(scratch.fileName());
  Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
  return scratch.fileName();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString scratch = Scratch(bytes);
  const reconcile::MessageFileAudio as_message = reconcile::ReadMessageFileAudio(scratch);
  Require(!as_message.damage.isEmpty() || as_message.audio_bytes >= 12);
  reconcile::ReadExportLog(scratch);
  reconcile::ReadExtractionLog(scratch);
  const QString text = QString::fromUtf8(bytes);
  reconcile::SplitCsvLine(text);
  reconcile::ItemsOfHeader(text);
  reconcile::MessageFileOwner(text);

  const int line_length = size > 0 ? 1 + data[0] % 100 : 72;
  const QByteArray encoded = bytes.toBase64();
  QByteArray message = "From: a\r\n\r\n\r\n";
  for (qsizetype at = 0; at < encoded.size(); at += line_length) message += encoded.mid(at, line_length) + "\r\n";
  const reconcile::MessageFileAudio carried = reconcile::ReadMessageFileAudio(Scratch(message));
  Require(carried.audio_bytes == static_cast<qint64>(size) || !carried.damage.isEmpty());
  Require(carried.damage.isEmpty() || carried.damage.contains(QLatin1StringView("RIFF")));
  Require(carried.digest == QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
  return 0;
}

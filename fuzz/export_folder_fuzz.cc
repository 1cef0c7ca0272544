// The readers of a finished export's folder over any bytes: as a message
// file, as a CSV line or header and as either log nothing crashes; and any
// bytes carried in base64 lines of any length come back whole, with the
// digest of the bytes themselves.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"
#include "KorvelToMaelisMigrationExport/reconcile/export_folder.h"

namespace {

// One file for the whole run, rewritten for every input and removed at exit.
struct Scratch {
  Scratch() {
    const char* base = std::getenv("TMPDIR");
    std::string name = std::string(base != nullptr ? base : "/tmp") + "/export_folder_fuzz_XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) std::abort();
    ::close(fd);
    path = QString::fromStdString(name);
  }
  ~Scratch() { QFile::remove(path); }
  QString path;
};

const QString& ScratchFile() {
  static const Scratch scratch;
  return scratch.path;
}

void Write(const QByteArray& bytes) {
  QFile file(ScratchFile());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  Write(bytes);
  const reconcile::MessageFileAudio as_message = reconcile::ReadMessageFileAudio(ScratchFile());
  if (as_message.damage.isEmpty() && as_message.audio_bytes < 12) std::abort();
  reconcile::ReadExportLog(ScratchFile());
  reconcile::ReadExtractionLog(ScratchFile());
  const QString text = QString::fromUtf8(bytes);
  reconcile::SplitCsvLine(text);
  reconcile::ItemsOfHeader(text);
  reconcile::MessageFileOwner(text);

  const int line_length = size > 0 ? 1 + data[0] % 100 : 72;
  const QByteArray encoded = bytes.toBase64();
  QByteArray message = "From: a\r\n\r\n\r\n";
  for (qsizetype at = 0; at < encoded.size(); at += line_length) message += encoded.mid(at, line_length) + "\r\n";
  Write(message);
  const reconcile::MessageFileAudio carried = reconcile::ReadMessageFileAudio(ScratchFile());
  if (carried.audio_bytes != static_cast<qint64>(size) && carried.damage.isEmpty()) std::abort();
  if (!carried.damage.contains(QLatin1StringView("RIFF")) && !carried.damage.isEmpty()) std::abort();
  if (carried.digest != QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)) std::abort();
  return 0;
}

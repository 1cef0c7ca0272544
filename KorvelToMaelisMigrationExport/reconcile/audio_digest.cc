#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"

#include <algorithm>
#include <cstring>

#include <QFile>

namespace reconcile {
namespace {

constexpr qsizetype kPieceBytes = 1 << 16;
constexpr qsizetype kIdLength = 36;
constexpr char16_t kMessageSuffix[] = u".msg";

quint32 LittleEndian32(const char* bytes) {
  return quint32{static_cast<unsigned char>(bytes[0])} | quint32{static_cast<unsigned char>(bytes[1])} << 8 |
         quint32{static_cast<unsigned char>(bytes[2])} << 16 | quint32{static_cast<unsigned char>(bytes[3])} << 24;
}

bool IsBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
         c == '=';
}

// Decodes base64 text arriving in pieces of any size, line ends anywhere; a
// group split between two pieces waits for the next.
class Base64Stream {
 public:
  explicit Base64Stream(AudioDigest& digest) : digest_(digest) {}

  // False once a character is no base64 or text follows the padding.
  bool Add(const char* text, qsizetype size) {
    qsizetype at = 0;
    while (at < size) {
      if (text[at] == '\r' || text[at] == '\n') {
        ++at;
        continue;
      }
      qsizetype end = at;
      while (end < size && text[end] != '\r' && text[end] != '\n') ++end;
      if (!AddRun(text + at, end - at)) return false;
      at = end;
    }
    return true;
  }

  // False when the text ended inside a group.
  bool End() {
    if (pending_.size() % 4 != 0) return false;
    Decode(pending_.size());
    return true;
  }

 private:
  bool AddRun(const char* run, qsizetype size) {
    if (padded_) return false;
    for (qsizetype i = 0; i < size; ++i) {
      if (run[i] == '=') {
        padding_seen_ = true;
      } else if (padding_seen_ || !IsBase64Character(run[i])) {
        return false;
      }
    }
    pending_.append(run, size);
    if (padding_seen_ && pending_.size() % 4 == 0) padded_ = true;
    if (pending_.size() >= kPieceBytes) Decode(pending_.size() - pending_.size() % 4);
    return true;
  }

  void Decode(qsizetype length) {
    if (length == 0) return;
    const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromRawData(pending_.constData(), length));
    digest_.Add(bytes.constData(), bytes.size());
    pending_.remove(0, length);
  }

  AudioDigest& digest_;
  QByteArray pending_;
  bool padding_seen_ = false;
  bool padded_ = false;
};

}  // namespace

AudioDigest::AudioDigest() : hash_(QCryptographicHash::Sha256) {}

void AudioDigest::Add(const char* data, qsizetype size) {
  if (size_ < static_cast<qint64>(sizeof head_)) {
    const qsizetype copied = std::min<qsizetype>(size, static_cast<qsizetype>(sizeof head_) - size_);
    std::memcpy(head_ + size_, data, static_cast<size_t>(copied));
  }
  hash_.addData(QByteArrayView(data, size));
  size_ += size;
}

QByteArray AudioDigest::Finish() { return hash_.result(); }

QString AudioDigest::Incompleteness() const {
  if (size_ < static_cast<qint64>(sizeof head_) || std::memcmp(head_, "RIFF", 4) != 0 ||
      std::memcmp(head_ + 8, "WAVE", 4) != 0) {
    return QStringLiteral("the audio is no RIFF WAVE file");
  }
  const qint64 riff_size = LittleEndian32(head_ + 4);
  if (riff_size + 8 != size_) {
    return QStringLiteral("the audio holds %1 bytes where its RIFF header announces %2").arg(size_).arg(riff_size + 8);
  }
  return QString();
}

MessageFileAudio ReadMessageFileAudio(const QString& path) {
  MessageFileAudio result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.damage = QStringLiteral("cannot be read: %1").arg(file.errorString());
    return result;
  }
  // The header ends at the first empty line.
  bool in_header = true;
  while (in_header) {
    const QByteArray line = file.readLine(kPieceBytes);
    if (line.isEmpty()) {
      result.damage = QStringLiteral("ends before its audio");
      return result;
    }
    if (line == "\r\n" || line == "\n") in_header = false;
  }
  AudioDigest digest;
  Base64Stream decoder(digest);
  QByteArray piece(kPieceBytes, Qt::Uninitialized);
  for (;;) {
    const qint64 read = file.read(piece.data(), kPieceBytes);
    if (read < 0) {
      result.damage = QStringLiteral("cannot be read: %1").arg(file.errorString());
      return result;
    }
    if (read == 0) break;
    if (!decoder.Add(piece.constData(), read)) {
      result.damage = QStringLiteral("its audio is not valid base64");
      return result;
    }
  }
  if (!decoder.End()) {
    result.damage = QStringLiteral("its base64 audio ends part way");
    return result;
  }
  result.damage = digest.Incompleteness();
  result.audio_bytes = digest.size();
  result.digest = digest.Finish();
  return result;
}

std::optional<QString> MessageFileOwner(QStringView file_name) {
  const qsizetype suffix = QStringView(kMessageSuffix).size();
  if (!file_name.endsWith(QStringView(kMessageSuffix), Qt::CaseInsensitive)) return std::nullopt;
  const qsizetype id_start = file_name.size() - suffix - kIdLength;
  if (id_start < 2 || file_name[id_start - 1] != QLatin1Char('_')) return std::nullopt;
  const QStringView id = file_name.sliced(id_start, kIdLength);
  for (qsizetype i = 0; i < id.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const QChar c = id[i];
    if (dash ? c != QLatin1Char('-') : !c.isLetterOrNumber() || c.unicode() > 0x7F) return std::nullopt;
  }
  return file_name.first(id_start - 1).toString();
}

MessageFileAudio DigestOfJoinedAudio(CCombinedAudio& audio) {
  MessageFileAudio result;
  AudioDigest digest;
  QByteArray piece(kPieceBytes, Qt::Uninitialized);
  for (;;) {
    ULONG read = 0;
    if (FAILED(audio.Read(reinterpret_cast<BYTE*>(piece.data()), static_cast<ULONG>(kPieceBytes), &read))) {
      result.damage = QStringLiteral("the joined audio cannot be read");
      break;
    }
    if (read > 0) digest.Add(piece.constData(), static_cast<qsizetype>(read));
    if (read < static_cast<ULONG>(kPieceBytes)) break;
  }
  result.audio_bytes = digest.size();
  result.digest = digest.Finish();
  return result;
}

}  // namespace reconcile

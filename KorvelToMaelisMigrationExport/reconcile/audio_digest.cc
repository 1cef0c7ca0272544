#include "KorvelToMaelisMigrationExport/reconcile/audio_digest.h"

#include <algorithm>
#include <cstring>
#include <new>

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

constexpr unsigned char kNoDigit = 0xFF;
constexpr unsigned char kLineEnd = 0xFE;
constexpr unsigned char kPad = 0xFD;

// Each byte's value as a base64 digit, or what else it is.
struct Base64Table {
  unsigned char value[256];
  constexpr Base64Table() : value() {
    for (unsigned char& entry : value) entry = kNoDigit;
    const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(digits[i])] = static_cast<unsigned char>(i);
    value[static_cast<unsigned char>('\r')] = kLineEnd;
    value[static_cast<unsigned char>('\n')] = kLineEnd;
    value[static_cast<unsigned char>('=')] = kPad;
  }
};
constexpr Base64Table kBase64;

// Decodes base64 text arriving in pieces of any size, line ends anywhere,
// into `digest`; a group split between two pieces waits for the next.
class Base64Stream {
 public:
  explicit Base64Stream(AudioDigest& digest) : digest_(digest), out_(kPieceBytes, Qt::Uninitialized) {}

  // False once a character is no base64 or text follows the padding.
  bool Add(const char* text, qsizetype size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (qsizetype i = 0; i < size; ++i) {
      // Whole groups of four digits, the bulk of a message, go at once.
      while (digits_ == 0 && pads_ == 0 && i + 4 <= size) {
        const unsigned char a = kBase64.value[bytes[i]], b = kBase64.value[bytes[i + 1]],
                            c = kBase64.value[bytes[i + 2]], d = kBase64.value[bytes[i + 3]];
        if ((a | b | c | d) >= 64) break;
        group_ = quint32{a} << 18 | quint32{b} << 12 | quint32{c} << 6 | d;
        Emit(3);
        i += 4;
      }
      if (i == size) break;
      const unsigned char value = kBase64.value[bytes[i]];
      if (value < 64) {
        if (pads_ > 0) return false;
        group_ = group_ << 6 | value;
        if (++digits_ == 4) Emit(3);
      } else if (value == kPad) {
        // Padding fills a group begun with two or three digits, and ends the text.
        if (ended_ || digits_ + pads_ < 2) return false;
        ++pads_;
        if (digits_ + pads_ == 4) {
          group_ <<= 6 * pads_;
          Emit(3 - pads_);
          ended_ = true;
        }
      } else if (value != kLineEnd) {
        return false;
      }
    }
    return true;
  }

  // False when the text ended inside a group.
  bool End() {
    if (digits_ != 0 || (pads_ > 0 && !ended_)) return false;
    Flush();
    return true;
  }

 private:
  void Emit(int bytes) {
    char* out = out_.data() + used_;
    out[0] = static_cast<char>(group_ >> 16);
    if (bytes > 1) out[1] = static_cast<char>(group_ >> 8);
    if (bytes > 2) out[2] = static_cast<char>(group_);
    used_ += bytes;
    group_ = 0;
    digits_ = 0;
    if (used_ + 3 > kPieceBytes) Flush();
  }

  void Flush() {
    digest_.Add(out_.constData(), used_);
    used_ = 0;
  }

  AudioDigest& digest_;
  QByteArray out_;
  qsizetype used_ = 0;
  quint32 group_ = 0;
  int digits_ = 0;
  int pads_ = 0;
  bool ended_ = false;
};

}  // namespace

AudioDigest::AudioDigest() : hash_(EVP_MD_CTX_new()) {
  if (!hash_ || EVP_DigestInit_ex(hash_.get(), EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
}

void AudioDigest::Add(const char* data, qsizetype size) {
  if (size_ < static_cast<qint64>(sizeof head_)) {
    const qsizetype copied = std::min<qsizetype>(size, static_cast<qsizetype>(sizeof head_) - size_);
    std::memcpy(head_ + size_, data, static_cast<size_t>(copied));
  }
  EVP_DigestUpdate(hash_.get(), data, static_cast<size_t>(size));
  size_ += size;
}

QByteArray AudioDigest::Finish() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(hash_.get(), digest, &length);
  return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length));
}

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

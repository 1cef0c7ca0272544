// Voice messages compared by their audio: the WAV a message file carries in
// base64 and the WAV the extractor joins from a stored message's attachments
// are each reduced to a digest, read in fixed pieces so that memory stays the
// same whatever a message's length.
#ifndef KORVEL_EXPORT_RECONCILE_AUDIO_DIGEST_H_
#define KORVEL_EXPORT_RECONCILE_AUDIO_DIGEST_H_

#include <openssl/evp.h>

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include "TmMsgExtractor/CombinedAudio.h"

namespace reconcile {

// Audio bytes fed piece by piece: their digest, their count, and whether
// they form one complete RIFF WAVE file (its RIFF size is the rest of it).
class AudioDigest {
 public:
  AudioDigest();
  void Add(const char* data, qsizetype size);
  // The digest; call once, after the last Add.
  QByteArray Finish();
  qint64 size() const { return size_; }
  // Empty when the bytes form a complete RIFF WAVE file, else why not.
  QString Incompleteness() const;

 private:
  struct HashFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  };
  std::unique_ptr<EVP_MD_CTX, HashFree> hash_;
  char head_[12] = {};
  qint64 size_ = 0;
};

struct MessageFileAudio {
  QString damage;  // empty when the file is a message with a complete WAV
  QByteArray digest;
  qint64 audio_bytes = 0;
};

// Reads a message file: header lines, an empty line, then the audio in base64.
MessageFileAudio ReadMessageFileAudio(const QString& path);

// The owner alias in a message file's name, <alias>_<36-character id>.msg;
// none for a name of another form.
std::optional<QString> MessageFileOwner(QStringView file_name);

// The digest of the extractor's joined audio, read from its start.
MessageFileAudio DigestOfJoinedAudio(CCombinedAudio& audio);

}  // namespace reconcile

#endif  // KORVEL_EXPORT_RECONCILE_AUDIO_DIGEST_H_

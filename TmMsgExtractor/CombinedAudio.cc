#include "TmMsgExtractor/CombinedAudio.h"

#include <algorithm>

#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"

namespace {

HRESULT SeekTo(IStream* pStream, ULONGLONG ullOffset) {
  const HRESULT hr = pStream->Seek(LARGE_INTEGER{static_cast<LONGLONG>(ullOffset)}, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) TraceFailedCall(L"spStreamSource->Seek(STREAM_SEEK_SET)", hr);
  return hr;
}

}  // namespace

void CCombinedAudio::Append(IStream* pStream, ULONGLONG ullStart, ULONGLONG ullBytes) {
  m_pieces.push_back({ComPtr<IStream>(pStream), ullStart, ullBytes});
  m_ullSize += ullBytes;
}

HRESULT CCombinedAudio::ReadFirst(ULONGLONG ullOffset, BYTE* buffer, ULONG ulCount, ULONG* pulRead) {
  *pulRead = 0;
  if (ullOffset >= FirstSize()) return S_OK;
  const Piece& first = m_pieces.front();
  HRESULT hr = SeekTo(first.stream.Get(), first.ullStart + ullOffset);
  if (FAILED(hr)) return hr;
  const ULONG ulWanted = static_cast<ULONG>(std::min<ULONGLONG>(ulCount, first.ullBytes - ullOffset));
  if (FAILED(hr = first.stream->Read(buffer, ulWanted, pulRead))) {
    TraceFailedCall(L"spStreamSource->Read()", hr);
  }
  return hr;
}

void CCombinedAudio::Overwrite(ULONGLONG ullOffset, DWORD dwValue) {
  m_overwritten.push_back({ullOffset,
                           {static_cast<BYTE>(dwValue), static_cast<BYTE>(dwValue >> 8),
                            static_cast<BYTE>(dwValue >> 16), static_cast<BYTE>(dwValue >> 24)}});
}

HRESULT CCombinedAudio::Read(BYTE* buffer, ULONG ulCount, ULONG* pulRead) {
  *pulRead = 0;
  const ULONGLONG ullStart = m_ullPosition;
  ULONG ulDone = 0;
  while (ulDone < ulCount && m_piece < m_pieces.size()) {
    const Piece& piece = m_pieces[m_piece];
    const ULONG ulWanted = static_cast<ULONG>(std::min<ULONGLONG>(ulCount - ulDone, piece.ullBytes - m_ullInPiece));
    if (ulWanted > 0) {
      HRESULT hr = SeekTo(piece.stream.Get(), piece.ullStart + m_ullInPiece);
      if (FAILED(hr)) return hr;
      ULONG ulRead = 0;
      if (FAILED(hr = piece.stream->Read(buffer + ulDone, ulWanted, &ulRead))) {
        TraceFailedCall(L"spAudioStream->Read(STREAM_SEEK_CUR)", hr);
        return hr;
      }
      if (ulRead != ulWanted) {
        g_TraceLog.Trace(LOG_LEVEL_ERROR, L"ulBytesToRead != ulBytesRead Incorrect Read Operation");
        return E_FAIL;
      }
      ulDone += ulRead;
      m_ullInPiece += ulRead;
      m_ullPosition += ulRead;
    }
    if (m_ullInPiece == piece.ullBytes) {
      ++m_piece;
      m_ullInPiece = 0;
    }
  }
  for (const Overwritten& word : m_overwritten) {
    for (ULONGLONG i = 0; i < sizeof word.bytes; ++i) {
      const ULONGLONG ullAt = word.ullOffset + i;
      if (ullAt >= ullStart && ullAt < m_ullPosition) buffer[ullAt - ullStart] = word.bytes[i];
    }
  }
  *pulRead = ulDone;
  return S_OK;
}

#include "TmMsgExtractor/MailboxHelper.h"

#include <algorithm>
#include <cstring>

#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/MimeHelper.h"
#include "TmMsgExtractor/PropertyRequest.h"
#include "TmMsgExtractor/diagnostics/console.h"
#include "TmMsgExtractor/diagnostics/date_seconds.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "TmMsgExtractor/diagnostics/variant.h"
#include "platform/com/com_ptr.h"
#include "platform/com/stream.h"
#include "platform/interrupt/interrupt.h"

namespace {

constexpr const wchar_t* kSourceUnit = L"TmMsgExtractor\\MailboxHelper";

// The message properties ProcessOneMsg asks for, in this order.
enum MessageProperty {
  kDeliveryTime,
  kHasUnknownSender,
  kSenderAddressType,
  kSenderEmailAddress,
  kImportance,
  kSensitivity,
  kMessageId,
};

// Values of QOP_SENDER_ADDRESS_TYPE that give an unknown sender's address a
// prefix.
constexpr LONG kAddressTypeAmis = 5;
constexpr LONG kAddressTypeOmni = 6;
constexpr LONG kAddressTypeVpim = 7;

constexpr LONG kImportanceHigh = 2;

// WAVE header layout: the RIFF size at 4, the format chunk's length at 16,
// its data from 20.
constexpr ULONGLONG kRiffSizeOffset = 4;
constexpr DWORD kFormatLengthOffset = 16;
constexpr DWORD kFormatDataOffset = 20;
// Words looked at for the "data" tag after the format chunk.
constexpr int kDataHeaderSearchWords = 5;

DWORD LittleEndian32(const BYTE bytes[4]) {
  return DWORD{bytes[0]} | DWORD{bytes[1]} << 8 | DWORD{bytes[2]} << 16 | DWORD{bytes[3]} << 24;
}

bool IsDataTag(const BYTE bytes[4]) { return std::memcmp(bytes, "data", 4) == 0; }

// The From of a sender the store does not know: the address type's prefix
// and the address when there is one, else "Unknown@DOMAIN".
CBstr UnknownSenderAddress(LONG lAddressType, const VARIANT& varAddress, const CBstr& strDomain) {
  const wchar_t* prefix = lAddressType == kAddressTypeAmis   ? L"AMIS:"
                          : lAddressType == kAddressTypeOmni ? L"OMNI:"
                          : lAddressType == kAddressTypeVpim ? L"VPIM:"
                                                             : L"";
  CBstr strSender;
  if (varAddress.vt != VT_BSTR) {
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid QOP_SENDER_EMAIL_ADDRESS vt =[%d]", varAddress.vt);
  } else if (SysStringLen(varAddress.bstrVal) > 0) {
    strSender.Format(L"%s%s", prefix, varAddress.bstrVal);
    return strSender;
  }
  if (strDomain.IsEmpty()) {
    strSender = L"Unknown";
  } else {
    strSender.Format(L"Unknown@%s", strDomain.c_str());
  }
  return strSender;
}

// Where the samples of a further attachment start: after its format chunk
// and the first "data" tag within five words, past the data size. Every seek
// is held within the attachment's `ullSize` bytes, whatever its header says,
// so a damaged header gives no samples rather than a read elsewhere.
HRESULT FindSamples(IStream* spStreamSource, ULONGLONG ullSize, ULONGLONG* pullStart) {
  ULONGLONG ullPosition = 0;
  auto seekForward = [&](ULONGLONG ullDistance) {
    LARGE_INTEGER move{static_cast<LONGLONG>(std::min(ullDistance, ullSize - std::min(ullPosition, ullSize)))};
    ULARGE_INTEGER newPosition{ullPosition};
    HRESULT hr = spStreamSource->Seek(move, STREAM_SEEK_CUR, &newPosition);
    if (FAILED(hr)) {
      TraceFailedCall(L"spStreamSource->Seek(STREAM_SEEK_CUR)", hr);
    } else {
      ullPosition = newPosition.QuadPart;
    }
    return hr;
  };
  HRESULT hr = seekForward(kFormatLengthOffset);
  if (FAILED(hr)) return hr;
  BYTE word[4] = {};
  ULONG ulRead = 0;
  if (FAILED(hr = spStreamSource->Read(word, sizeof word, &ulRead))) {
    TraceFailedCall(L"spStreamSource->Read(dwFormatLength)", hr);
    return hr;
  }
  ullPosition += ulRead;
  // A short read leaves the length 0: the attachment has ended anyway.
  const DWORD dwFormatLength = ulRead == sizeof word ? LittleEndian32(word) : 0;
  if (FAILED(hr = seekForward(dwFormatLength))) return hr;
  for (int i = 0; i < kDataHeaderSearchWords; ++i) {
    std::memset(word, 0, sizeof word);
    if (FAILED(hr = spStreamSource->Read(word, sizeof word, &ulRead))) {
      TraceFailedCall(L"spStreamSource->Read(dwDataHeader)", hr);
      return hr;
    }
    ullPosition += ulRead;
    if (ulRead == sizeof word && IsDataTag(word)) break;
  }
  if (FAILED(hr = seekForward(4))) return hr;
  *pullStart = ullPosition;
  return S_OK;
}

}  // namespace

CMailboxHelper::CMailboxHelper(const CBstr& ownerAlias, const CBstr& outputFolder, const CBstr& smtpDomain,
                               LONG lRead, CExtractionRecord* record)
    : m_strOwnerAlias(ownerAlias),
      m_strOutputFolder(outputFolder),
      m_strSmtpDomain(smtpDomain),
      m_lRead(lRead),
      m_pRecord(record) {}

HRESULT CMailboxHelper::Extract(IQoZadIterator* pMsgIterator) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMailboxHelper::Extract()", hr);
  try {
    LONG lCount = 0;
    if (FAILED(hr = pMsgIterator->get_Count(&lCount))) {
      TraceFailedCall(L"pMsgIterator->get_Count()", hr);
      return hr;
    }
    g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Extracting %d Messages", lCount);
    ComPtr<IUnknown> spZadItem;
    if (FAILED(hr = pMsgIterator->First(spZadItem.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"pMsgIterator->First()", hr);
      return hr;
    }
    LONG lMessage = 1;
    LONG lErrors = 0;
    while (hr == S_OK) {
      ConsolePrint(L".");
      g_TraceLog.Trace(LOG_LEVEL_INFO, L"Extracting message %d of %d", lMessage, lCount);
      ++lMessage;
      ComPtr<IQoZadMessage> spZadMsg;
      HRESULT hrMsg = spZadItem.As(&spZadMsg);
      if (FAILED(hrMsg)) {
        TraceFailedCall(L"spZadItem->QueryInterface(__uuidof(IQoZadMessage))", hrMsg);
      } else {
        hrMsg = ProcessOneMsg(spZadMsg.Get());
      }
      if (interrupt::PendingSignal() != 0) return hr = E_ABORT;
      if (FAILED(hrMsg)) {
        TraceFailedCall(L"ProcessOneMsg()", hrMsg);
        g_ExtractorState.errorsEncountered = true;
        ++lErrors;
      }
      spZadMsg.Reset();
      if (FAILED(hr = pMsgIterator->Next(spZadItem.ReleaseAndGetAddressOf()))) {
        TraceFailedCall(L"pMsgIterator->Next()", hr);
        return hr;
      }
    }
    ConsolePrint(L"\n");
    if (lErrors >= 1) g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"%d Messages encountered errors", lErrors);
    hr = S_OK;
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMailboxHelper::ProcessOneMsg(IQoZadMessage* pZadMsg) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMailboxHelper::ProcessOneMsg()", hr);
  try {
    CPropertyRequest properties({QOP_DELIVERY_TIME, QOP_HAS_UNKNOWN_SENDER, QOP_SENDER_ADDRESS_TYPE,
                                 QOP_SENDER_EMAIL_ADDRESS, QOP_IMPORTANCE, QOP_SENSITIVITY, QOP_MESSAGE_ID});
    if (FAILED(hr = pZadMsg->GetMany(properties.Tags(), properties.ReceiveValues()))) {
      TraceFailedCall(L"spMailUserPropMagr->GetMany()", hr);
      return hr;
    }
    if (FAILED(hr = properties.CheckValues())) return hr;
    // Without its id a message is written every time; it cannot be skipped.
    const VARIANT& varMessageId = properties.Value(kMessageId);
    const bool bHasId = varMessageId.vt == VT_I4;
    if (bHasId && m_pRecord != nullptr && m_pRecord->IsExtracted(varMessageId.lVal)) {
      ++g_ExtractorState.messagesSkipped;
      return hr;
    }
    CMimeHelper oMimeHelper;
    if (FAILED(hr = oMimeHelper.Initialize(m_strOutputFolder, m_strOwnerAlias))) {
      TraceFailedCall(L"oMimeHelper.Initialize()", hr);
      return hr;
    }

    CBstr strSender;
    if (FAILED(hr = GetSender(pZadMsg, properties, strSender))) return hr;
    g_TraceLog.Trace(LOG_LEVEL_INFO, L"strSender %s", strSender.c_str());
    if (FAILED(hr = WriteHeaders(oMimeHelper, pZadMsg, properties, strSender))) return hr;

    CCombinedAudio audio;
    if (FAILED(hr = GetCombinedAudio(pZadMsg, audio))) return hr;
    if (FAILED(hr = oMimeHelper.WriteAudioStream(audio))) {
      TraceFailedCall(L"oMimeHelper.WriteAudioStream()", hr);
      return hr;
    }
    if (FAILED(hr = oMimeHelper.Finish())) {
      TraceFailedCall(L"oMimeHelper.Finish()", hr);
      return hr;
    }
    // Recorded before it is in place: a run stopped in between finds no file
    // under the recorded name and writes the message again.
    if (bHasId && m_pRecord != nullptr &&
        !m_pRecord->Add(varMessageId.lVal, oMimeHelper.FileName(), oMimeHelper.Size())) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to record %s as extracted GetLastError():%X",
                       oMimeHelper.Path().c_str(), errno);
    }
    if (FAILED(hr = oMimeHelper.Commit())) {
      TraceFailedCall(L"oMimeHelper.Commit()", hr);
      return hr;
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMailboxHelper::ReadOneMsg(IQoZadMessage* pZadMsg, CCombinedAudio& audio) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMailboxHelper::ReadOneMsg()", hr);
  try {
    CPropertyRequest properties({QOP_DELIVERY_TIME, QOP_HAS_UNKNOWN_SENDER, QOP_SENDER_ADDRESS_TYPE,
                                 QOP_SENDER_EMAIL_ADDRESS, QOP_IMPORTANCE, QOP_SENSITIVITY});
    if (FAILED(hr = pZadMsg->GetMany(properties.Tags(), properties.ReceiveValues()))) {
      TraceFailedCall(L"spMailUserPropMagr->GetMany()", hr);
      return hr;
    }
    if (FAILED(hr = properties.CheckValues())) return hr;
    CBstr strSender;
    if (FAILED(hr = GetSender(pZadMsg, properties, strSender))) return hr;
    CBstr strSubject;
    if (FAILED(hr = pZadMsg->get_Subject(strSubject.Receive()))) {
      TraceFailedCall(L"pZadMsg->get_Subject()", hr);
      return hr;
    }
    hr = GetCombinedAudio(pZadMsg, audio);
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMailboxHelper::GetCombinedAudio(IQoZadMessage* pZadMsg, CCombinedAudio& audio) {
  ComPtr<IQoZadAudioList> spAllAudioStreams;
  HRESULT hr = pZadMsg->get_AllAudioStreams(spAllAudioStreams.ReleaseAndGetAddressOf());
  if (hr != S_OK || !spAllAudioStreams) {
    // A list that is not there is no success, whatever the code says.
    if (SUCCEEDED(hr)) hr = E_FAIL;
    TraceFailedCall(L"pZadMsg->get_AllAudioStreams()", hr);
    return hr;
  }
  if (FAILED(hr = CombineAudioStreams(spAllAudioStreams.Get(), audio))) TraceFailedCall(L"CombineAudioStreams()", hr);
  return hr;
}

HRESULT CMailboxHelper::GetSender(IQoZadMessage* pZadMsg, const CPropertyRequest& properties, CBstr& strSender) {
  const VARIANT& varUnknownSender = properties.Value(kHasUnknownSender);
  if (varUnknownSender.vt != VT_BOOL) {
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid QOP_HAS_UNKNOWN_SENDER vt =[%d]", varUnknownSender.vt);
    return E_FAIL;
  }
  bool bUnknownSender = varUnknownSender.boolVal != VARIANT_FALSE;
  HRESULT hr = S_OK;
  if (!bUnknownSender) {
    ComPtr<IQoZadMailUser> spSender;
    hr = pZadMsg->get_Sender(spSender.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr) && !spSender) hr = E_POINTER;
    if (FAILED(hr)) {
      TraceFailedCall(L"pZadMsg->get_Sender()", hr);
      bUnknownSender = true;
    } else {
      CPropertyRequest senderProperties({QOP_ALIAS});
      if (FAILED(hr = spSender->GetMany(senderProperties.Tags(), senderProperties.ReceiveValues()))) {
        TraceFailedCall(L"spMailUserPropMagr->GetMany()", hr);
        return hr;
      }
      if (FAILED(hr = senderProperties.CheckValues())) return hr;
      const VARIANT& varAlias = senderProperties.Value(0);
      if (varAlias.vt != VT_BSTR) {
        g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid QOP_ALIAS vt =[%d]", varAlias.vt);
        return E_FAIL;
      }
      const CBstr strAlias(varAlias.bstrVal);
      strSender = strAlias;
      if (!m_strSmtpDomain.IsEmpty()) strSender.Format(L"%s@%s", strAlias.c_str(), m_strSmtpDomain.c_str());
    }
  }
  if (bUnknownSender) {
    const VARIANT& varAddressType = properties.Value(kSenderAddressType);
    if (varAddressType.vt != VT_I4) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid QOP_SENDER_ADDRESS_TYPE vt =[%d]", varAddressType.vt);
      return E_FAIL;
    }
    strSender = UnknownSenderAddress(varAddressType.lVal, properties.Value(kSenderEmailAddress), m_strSmtpDomain);
  }
  return S_OK;
}

HRESULT CMailboxHelper::WriteHeaders(CMimeHelper& oMimeHelper, IQoZadMessage* pZadMsg,
                                     const CPropertyRequest& properties, const CBstr& strSender) {
  HRESULT hr = S_OK;
  auto write = [&](const wchar_t* name, const CBstr& value, const wchar_t* description) {
    hr = oMimeHelper.WriteMIMEHeader(name, value);
    if (FAILED(hr)) TraceFailedCall(description, hr);
    return SUCCEEDED(hr);
  };
  CBstr strTo = m_strOwnerAlias;
  if (!m_strSmtpDomain.IsEmpty()) strTo.Format(L"%s@%s", m_strOwnerAlias.c_str(), m_strSmtpDomain.c_str());
  if (!write(L"From", strSender, L"oMimeHelper.WriteMIMEHeader(From)")) return hr;
  if (!write(L"To", strTo, L"oMimeHelper.WriteMIMEHeader(To)")) return hr;
  if (!write(L"MIME-Version", L"1.0 (Voice 2.0)", L"oMimeHelper.WriteMIMEHeader(MIME-Version)")) return hr;
  if (!write(L"X-NorvaneKorvel-Status", m_lRead ? L"Read" : L"New",
             L"oMimeHelper.WriteMIMEHeader(X-NorvaneKorvel-Status)")) {
    return hr;
  }
  const VARIANT& varImportance = properties.Value(kImportance);
  if (varImportance.vt == VT_I4 &&
      !write(L"Importance", varImportance.lVal == kImportanceHigh ? L"High" : L"Normal",
             L"oMimeHelper.WriteMIMEHeader(Importance)")) {
    return hr;
  }
  const VARIANT& varSensitivity = properties.Value(kSensitivity);
  if (varSensitivity.vt == VT_I4 &&
      !write(L"Sensitivity", varSensitivity.lVal > 0 ? L"Private" : L"Normal",
             L"oMimeHelper.WriteMIMEHeader(Sensitivity)")) {
    return hr;
  }
  if (!write(L"Content-Type", L"audio/wav", L"oMimeHelper.WriteMIMEHeader(Content-Type)")) return hr;
  if (!write(L"Content-Transfer-Encoding", L"base64", L"oMimeHelper.WriteMIMEHeader(Content-Transfer-Encoding)")) {
    return hr;
  }
  if (!write(L"Content-Description", L"Voice Message", L"oMimeHelper.WriteMIMEHeader(Content-Description)")) {
    return hr;
  }
  if (!write(L"Content-Disposition", L"inline; voice=Voice-Message",
             L"oMimeHelper.WriteMIMEHeader(Content-Disposition)")) {
    return hr;
  }
  CBstr strSubject;
  if (FAILED(hr = pZadMsg->get_Subject(strSubject.Receive()))) {
    TraceFailedCall(L"pZadMsg->get_Subject()", hr);
    return hr;
  }
  if (!write(L"Subject", strSubject, L"oMimeHelper.WriteMIMEHeader(Subject)")) return hr;
  const VARIANT& varDeliveryTime = properties.Value(kDeliveryTime);
  if (varDeliveryTime.vt == VT_DATE) {
    // A value that is no calendar date at all throws E_FAIL, which fails the
    // message; one outside what 32-bit seconds hold gives an empty Date.
    const CBstr strDate = FormatSeconds(DateToSeconds(varDeliveryTime.date), L"%a, %d %b %Y %H:%M:%S GMT");
    if (!write(L"Date", strDate, L"oMimeHelper.WriteMIMEHeader(Date)")) return hr;
  }
  return S_OK;
}

HRESULT CMailboxHelper::CombineAudioStreams(IQoZadAudioList* spAllAudioStreams, CCombinedAudio& audio) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMailboxHelper::CombineAudioStreams()", hr);
  try {
    LONG lCount = 0;
    if (FAILED(hr = spAllAudioStreams->get_Count(&lCount))) {
      TraceFailedCall(L"spAllAudioStreams->get_Count()", hr);
      return hr;
    }
    g_TraceLog.Trace(LOG_LEVEL_INFO, L"Audion stream count=%d", lCount);

    bool bFirstAttachment = true;
    LONG lAttachment = 1;
    ComPtr<IQoZadListItem> spAudioListObject;
    const wchar_t* listCall = L"spAllAudioStreams->First()";
    if (FAILED(hr = spAllAudioStreams->First(spAudioListObject.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(listCall, hr);
      return hr;
    }
    while (hr == S_OK) {
      g_TraceLog.Trace(LOG_LEVEL_INFO, L"Extracting Audio Object %d", lAttachment);
      ++lAttachment;
      if (!spAudioListObject) {
        hr = E_POINTER;
        TraceFailedCall(listCall, hr);
        return hr;
      }
      CBstr strKey;
      if (FAILED(hr = spAudioListObject->get_Key(strKey.Receive()))) {
        TraceFailedCall(L"spAudioListObject->get_Key()", hr);
        return hr;
      }
      CVariant varItem;
      if (FAILED(hr = spAudioListObject->get_Item(varItem.Receive()))) {
        TraceFailedCall(L"spAudioListObject->get_Item()", hr);
        return hr;
      }
      if (varItem->vt != VT_UNKNOWN) {
        g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid Audio Object VT=0x%X", varItem->vt);
        hr = E_FAIL;
        return hr;
      }
      ComPtr<IStream> spStreamSource;
      hr = varItem->punkVal == nullptr
               ? E_POINTER
               : varItem->punkVal->QueryInterface(UuidOf<IStream>(), spStreamSource.ReleaseAndGetVoidAddressOf());
      if (FAILED(hr)) {
        TraceFailedCall(L"varItem.punkVal->QueryInterface(__uuidof(IStream))", hr);
        return hr;
      }
      spStreamSource->Commit(STGC_DEFAULT);
      ULARGE_INTEGER size{0};
      if (FAILED(hr = spStreamSource->Seek(LARGE_INTEGER{0}, STREAM_SEEK_END, &size))) {
        TraceFailedCall(L"spStreamSource->Seek(STREAM_SEEK_END)", hr);
        return hr;
      }
      if (FAILED(hr = spStreamSource->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr))) {
        TraceFailedCall(L"spStreamSource->Seek(STREAM_SEEK_SET)", hr);
        return hr;
      }
      ULONGLONG ullSamplesStart = 0;
      if (bFirstAttachment) {
        bFirstAttachment = false;
      } else if (FAILED(hr = FindSamples(spStreamSource.Get(), size.QuadPart, &ullSamplesStart))) {
        return hr;
      }
      audio.Append(spStreamSource.Get(), ullSamplesStart,
                   ullSamplesStart > size.QuadPart ? 0 : size.QuadPart - ullSamplesStart);
      spAudioListObject.Reset();
      listCall = L"spAllAudioStreams->Next()";
      if (FAILED(hr = spAllAudioStreams->Next(spAudioListObject.ReleaseAndGetAddressOf()))) {
        TraceFailedCall(listCall, hr);
        return hr;
      }
    }
    hr = RewriteWaveHeader(audio);
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMailboxHelper::RewriteWaveHeader(CCombinedAudio& audio) {
  auto readFailed = [] {
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Failed to read from tmp audio file. GetLastError():%X", 0);
    return E_FAIL;
  };
  auto noDataHeader = [] {
    g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Stream Corrupt: No data header");
    return E_FAIL;
  };
  // The RIFF sizes are 32 bits: they count modulo 2^32.
  const DWORD dwTotalBytes = static_cast<DWORD>(audio.Size());
  const ULONGLONG ullFirstSize = audio.FirstSize();
  // The RIFF size goes over bytes 4 to 7, which a file shorter than that
  // would take as zeros up to them.
  if (std::max<ULONGLONG>(audio.Size(), kRiffSizeOffset + 4) < kFormatDataOffset) return readFailed();
  // The walk below reads the first attachment's own header only: sizes in it
  // never lead into the samples appended after it, nor past its end.
  if (ullFirstSize < kFormatDataOffset) return noDataHeader();
  audio.Overwrite(kRiffSizeOffset, dwTotalBytes - 8);

  BYTE word[4];
  ULONG ulRead = 0;
  HRESULT hr = audio.ReadFirst(kFormatLengthOffset, word, sizeof word, &ulRead);
  if (FAILED(hr)) return hr;
  if (ulRead != sizeof word) return readFailed();
  const DWORD dwFormatLength = LittleEndian32(word);
  if (dwFormatLength > ullFirstSize - kFormatDataOffset) return noDataHeader();
  ULONGLONG ullPosition = ULONGLONG{kFormatDataOffset} + dwFormatLength;

  bool bFound = false;
  for (int i = 0; i < kDataHeaderSearchWords && !bFound; ++i) {
    // The tag and the size after it must both lie within the first attachment.
    if (ullPosition + 8 > ullFirstSize) break;
    if (FAILED(hr = audio.ReadFirst(ullPosition, word, sizeof word, &ulRead))) return hr;
    if (ulRead != sizeof word) return readFailed();
    ullPosition += sizeof word;
    bFound = IsDataTag(word);
  }
  if (!bFound) return noDataHeader();
  // The data size: every byte after it.
  audio.Overwrite(ullPosition, dwTotalBytes - static_cast<DWORD>(ullPosition + 4));
  return S_OK;
}

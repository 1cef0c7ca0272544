#include "TmMsgExtractor/MsgHelper.h"

#include <memory>

#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/MailboxHelper.h"
#include "TmMsgExtractor/PropertyRequest.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/system_text.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "TmMsgExtractor/diagnostics/variant.h"
#include "platform/com/runtime.h"
#include "platform/interrupt/interrupt.h"

namespace {

constexpr const wchar_t* kSourceUnit = L"TmMsgExtractor\\MsgHelper";

}  // namespace

CMsgHelper::CMsgHelper(const CBstr& outputFolder, const CBstr& smtpDomain)
    : m_strOutputFolder(outputFolder), m_strSmtpDomain(smtpDomain) {}

HRESULT CMsgHelper::Run() {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMsgHelper::Run()", hr);
  try {
    if (const int error = m_record.Open(ToSystemText(m_strOutputFolder.c_str())); error != 0) {
      g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR,
                                  L"Cannot keep the record of extracted messages in %s (error %d): a later run into "
                                  L"this folder will write every message again",
                                  m_strOutputFolder.c_str(), error);
    }
    g_TraceLog.LogMessage(LOG_LEVEL_INFO, L"Connecting to Zad...");
    if (FAILED(hr = GetZadSession())) {
      TraceFailedCall(L"GetZadSession()", hr);
      g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Failed Connecting to ZAD 0x%08X", hr);
      g_ExtractorState.exitCode = -2;
      return hr;
    }
    ComPtr<IQoZadIterator> spZadMailUserIterator;
    if (FAILED(hr = GetMailUsers(spZadMailUserIterator))) {
      TraceFailedCall(L"GetMailUsers()", hr);
      g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Failed Getting All mail users 0x%08X", hr);
      g_ExtractorState.exitCode = -2;
      return hr;
    }
    LONG lCount = 0;
    if (FAILED(hr = spZadMailUserIterator->get_Count(&lCount))) {
      TraceFailedCall(L"spZadMailUserIterator->get_Count", hr);
      return hr;
    }
    g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Extracting messages for %d Subscribers", lCount);
    LONG lSubscriber = 1;
    ComPtr<IUnknown> spZadItem;
    if (FAILED(hr = spZadMailUserIterator->First(spZadItem.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"spZadMailUserIterator->First()", hr);
      return hr;
    }
    while (hr == S_OK) {
      g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Extracting messages for subscriber %d of %d", lSubscriber,
                                  lCount);
      ++lSubscriber;
      ComPtr<IQoZadMailUser> spZadMailUser;
      CBstr strDisplayName;
      HRESULT hrUser = spZadItem.As(&spZadMailUser);
      if (FAILED(hrUser)) {
        TraceFailedCall(L"spZadItem->QueryInterface(__uuidof(IQoZadMailUser))", hrUser);
      } else {
        if (FAILED(hr = spZadMailUser->get_DisplayName(strDisplayName.Receive()))) {
          TraceFailedCall(L"spZadMailUser->get_DisplayName()", hr);
          return hr;
        }
        hrUser = ProcessOneMailUser(spZadMailUser.Get());
      }
      // Stopped part way, the subscriber has not failed: a later run
      // finishes it.
      if (interrupt::PendingSignal() != 0) return hr = E_ABORT;
      if (FAILED(hrUser)) {
        TraceFailedCall(L"ProcessOneMailUser()", hrUser);
        g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Errors encountered while extracting messages for subscriber %s",
                                    strDisplayName.c_str());
        g_ExtractorState.errorsEncountered = true;
      }
      spZadMailUser.Reset();
      if (FAILED(hr = spZadMailUserIterator->Next(spZadItem.ReleaseAndGetAddressOf()))) {
        TraceFailedCall(L"spZadMailUserIterator->Next()", hr);
        return hr;
      }
    }
    hr = S_OK;
    if (g_ExtractorState.messagesSkipped > 0) {
      g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"%d Messages skipped: an earlier run into this folder extracted them",
                                  g_ExtractorState.messagesSkipped);
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMsgHelper::GetZadSession() {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMsgHelper::GetZadSession()", hr);
  try {
    ComPtr<IQoZadComponent> spZadTmComp;
    if (FAILED(hr = CoCreateInstance(UuidOf<QoZadManager>(), nullptr, CLSCTX_SERVER, UuidOf<IQoZadComponent>(),
                                     spZadTmComp.ReleaseAndGetVoidAddressOf()))) {
      TraceFailedCall(L"CoCreateInstance(__uuidof(QoZadManager))", hr);
      return hr;
    }
    if (FAILED(hr = spZadTmComp->Initialize(0))) {
      TraceFailedCall(L"spZadTmComp->Initialize()", hr);
      return hr;
    }
    if (FAILED(hr = spZadTmComp.As(&m_spZadManager))) {
      TraceFailedCall(L"spZadTmComp->QueryInterface(__uuidof(IQoZadManager))", hr);
      return hr;
    }
    g_TraceLog.Trace(LOG_LEVEL_INFO, L"Got Zad, Connecting to Session");
    if (FAILED(hr = m_spZadManager->CreateZadSession(m_spZadSession.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"m_spZadManager->CreateZadSession()", hr);
      return hr;
    }
    if (FAILED(hr = m_spZadSession->Logon())) {
      TraceFailedCall(L"m_spZadSession->Logon()", hr);
      g_TraceLog.LogMessageFormat(LOG_LEVEL_ERROR, L"Failed Loging in to ZAD 0x%08X", hr);
      const std::string reason = korvel::zad::LastLogonFailure();
      if (!reason.empty()) g_TraceLog.LogMessage(LOG_LEVEL_ERROR, FromSystemText(reason).c_str());
      return hr;
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMsgHelper::GetMailUsers(ComPtr<IQoZadIterator>& spZadMailUserIterator) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMsgHelper::GetMailUsers()", hr);
  try {
    ComPtr<IQoZadDirectory> spZadDirectory;
    if (FAILED(hr = m_spZadSession->GetDirectory(0, spZadDirectory.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"m_spZadSession->GetDirectory()", hr);
      return hr;
    }
    ComPtr<IQoZadMailUsers> spZadMailUsers;
    if (FAILED(hr = spZadDirectory->get_MailUsers(spZadMailUsers.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"spZadDirectory->get_MailUsers()", hr);
      return hr;
    }
    if (FAILED(hr = spZadMailUsers->get_Subscribers(spZadMailUserIterator.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"spZadMailUsers->get_Subscribers()", hr);
      return hr;
    }
    CVariant varIsSubscriber;
    varIsSubscriber = static_cast<SHORT>(1);
    if (FAILED(hr = spZadMailUserIterator->SimpleFilter(QOP_IS_SUBSCRIBER, QO_FILTER_EQUAL, varIsSubscriber.Get()))) {
      TraceFailedCall(L"spZadMailUserIterator->SimpleFilter()", hr);
      return hr;
    }
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

HRESULT CMsgHelper::ProcessOneMailUser(IQoZadMailUser* pZadMailUser) {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMsgHelper::ProcessOneMailUser()", hr);
  try {
    CPropertyRequest properties({QOP_ALIAS});
    if (FAILED(hr = pZadMailUser->GetMany(properties.Tags(), properties.ReceiveValues()))) {
      TraceFailedCall(L"spMailUserPropMagr->GetMany()", hr);
      return hr;
    }
    if (FAILED(hr = properties.CheckValues())) return hr;
    const VARIANT& varAlias = properties.Value(0);
    if (varAlias.vt != VT_BSTR) {
      g_TraceLog.Trace(LOG_LEVEL_ERROR, L"Invalid QOP_ALIAS vt =[%d]", varAlias.vt);
      hr = E_FAIL;
      return hr;
    }
    // Whole, with any U+0000 in it: the file name check must see what the
    // store holds, not the part before the first U+0000.
    const CBstr strAlias(std::wstring_view(varAlias.bstrVal, SysStringLen(varAlias.bstrVal)));
    g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Mailuser Alias %s ...", strAlias.c_str());

    ComPtr<IQoZadFolder> spZadInbox;
    if (FAILED(hr = pZadMailUser->get_Inbox(spZadInbox.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"pZadMailUser->get_Inbox()", hr);
      return hr;
    }
    ComPtr<IQoZadIterator> spZadMessages;
    if (FAILED(hr = spZadInbox->get_All(spZadMessages.ReleaseAndGetAddressOf()))) {
      TraceFailedCall(L"spZadMessages->get_All()", hr);
      return hr;
    }
    CVariant varFolder;
    varFolder = QO_SEARCH_FOLDER_NewVoiceFilter;
    if (FAILED(hr = spZadMessages->SimpleFilter(QOP_SEARCH_FOLDER, QO_FILTER_EQUAL, varFolder.Get()))) {
      TraceFailedCall(L"spZadMessages->SimpleFilter(QO_SEARCH_FOLDER_NewVoiceFilter)", hr);
      return hr;
    }
    {
      auto spMailBoxHelper =
          std::make_unique<CMailboxHelper>(strAlias, m_strOutputFolder, m_strSmtpDomain, 0, &m_record);
      if (FAILED(hr = spMailBoxHelper->Extract(spZadMessages.Get()))) {
        TraceFailedCall(L"spMailBoxHelper->Extract()", hr);
        return hr;
      }
    }
    if (FAILED(hr = spZadMessages->SetFilter(nullptr))) {
      TraceFailedCall(L"spZadMessages->SetFilter(NULL)", hr);
      return hr;
    }
    varFolder = QO_SEARCH_FOLDER_SavedVoiceFilter;
    if (FAILED(hr = spZadMessages->SimpleFilter(QOP_SEARCH_FOLDER, QO_FILTER_EQUAL, varFolder.Get()))) {
      TraceFailedCall(L"spZadMessages->SimpleFilter(QO_SEARCH_FOLDER_SavedVoiceFilter)", hr);
      return hr;
    }
    {
      auto spMailBoxHelper =
          std::make_unique<CMailboxHelper>(strAlias, m_strOutputFolder, m_strSmtpDomain, 1, &m_record);
      if (FAILED(hr = spMailBoxHelper->Extract(spZadMessages.Get()))) {
        TraceFailedCall(L"spMailBoxHelper->Extract()", hr);
      }
    }
    g_TraceLog.LogMessageFormat(LOG_LEVEL_INFO, L"Mailuser %s done\n", strAlias.c_str());
  } catch (...) {
    hr = ReportCaughtException(kSourceUnit, __LINE__);
  }
  return hr;
}

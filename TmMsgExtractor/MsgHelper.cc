#include "TmMsgExtractor/MsgHelper.h"

#include "TmMsgExtractor/ExtractorState.h"
#include "TmMsgExtractor/diagnostics/method_trace.h"
#include "TmMsgExtractor/diagnostics/trace_log.h"
#include "TmMsgExtractor/diagnostics/variant.h"
#include "platform/com/runtime.h"

namespace {

constexpr const wchar_t* kSourceUnit = L"TmMsgExtractor\\MsgHelper";

}  // namespace

CMsgHelper::CMsgHelper(const CBstr& outputFolder, const CBstr& smtpDomain)
    : m_strOutputFolder(outputFolder), m_strSmtpDomain(smtpDomain) {}

HRESULT CMsgHelper::Run() {
  HRESULT hr = S_OK;
  CMethodTrace trace(L"CMsgHelper::Run()", hr);
  try {
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
    // The walk over the subscribers, each handing its new and then its saved
    // voice messages to a mailbox helper, is not built yet: the run ends
    // after the count.
    hr = S_OK;
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

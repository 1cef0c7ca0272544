#include "platform/com/dispatch.h"

const VARIANTARG* DispatchArgument(const DISPPARAMS* params, UINT position) {
  if (params == nullptr || params->rgvarg == nullptr || position >= params->cArgs) return nullptr;
  return &params->rgvarg[params->cArgs - 1 - position];
}

void ClearExcepInfo(EXCEPINFO* exception) {
  if (exception == nullptr) return;
  SysFreeString(exception->bstrSource);
  SysFreeString(exception->bstrDescription);
  SysFreeString(exception->bstrHelpFile);
  *exception = EXCEPINFO{};
}

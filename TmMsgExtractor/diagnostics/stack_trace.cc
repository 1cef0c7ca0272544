#include "TmMsgExtractor/diagnostics/stack_trace.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <execinfo.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "TmMsgExtractor/diagnostics/system_text.h"
#include "platform/com/hresult.h"

namespace {

// Symbol names are cut to this many characters.
constexpr std::size_t kMaxSymbolName = 260;
// A line is looked for at the address and up to this many bytes before it.
constexpr Dwarf_Addr kLineBackOffSteps = 100;

char* g_debuginfoPath = nullptr;

const Dwfl_Callbacks kProcessCallbacks = {
    dwfl_linux_proc_find_elf,
    dwfl_standard_find_debuginfo,
    nullptr,
    &g_debuginfoPath,
};

// CImageHlp: the binding to the debugging library, made at the first stack
// walk and kept (never cleaned up) until the process ends. It knows the
// modules of this process; a module loaded after it was made is added when
// an address inside it is asked for.
class CImageHlp {
 public:
  static CImageHlp& Instance() {
    static CImageHlp* binding = new CImageHlp();
    return *binding;
  }

  // Reads the process's modules; a failure is tried again at the next walk.
  void Initialize() {
    if (m_bInitialized) return;
    if (m_pDwfl == nullptr) m_pDwfl = dwfl_begin(&kProcessCallbacks);
    if (m_pDwfl == nullptr) return;
    m_bInitialized = Report(false);
  }

  // The module holding `address`, or null.
  Dwfl_Module* ModuleOf(Dwarf_Addr address) {
    if (!m_bInitialized) return nullptr;
    Dwfl_Module* module = dwfl_addrmodule(m_pDwfl, address);
    if (module == nullptr && Report(true)) module = dwfl_addrmodule(m_pDwfl, address);
    return module;
  }

 private:
  bool Report(bool keepKnownModules) {
    if (keepKnownModules) {
      dwfl_report_begin_add(m_pDwfl);
    } else {
      dwfl_report_begin(m_pDwfl);
    }
    const bool read = dwfl_linux_proc_report(m_pDwfl, getpid()) == 0;
    return dwfl_report_end(m_pDwfl, nullptr, nullptr) == 0 && read;
  }

  Dwfl* m_pDwfl = nullptr;
  bool m_bInitialized = false;
};

std::string BaseName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? path : slash + 1;
}

std::string ReadableSymbol(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                        &std::free);
  std::string readable = status == 0 && demangled ? demangled.get() : name;
  if (readable.size() > kMaxSymbolName) readable.resize(kMaxSymbolName);
  return readable;
}

// "\r\n\t\tFILE, Line N" for the address or, failing that, the nearest of
// the 99 bytes before it that has a line; empty without line information.
std::string LineText(Dwfl_Module* module, Dwarf_Addr address) {
  for (Dwarf_Addr backOff = 0; backOff < kLineBackOffSteps && backOff <= address; ++backOff) {
    Dwfl_Line* line = dwfl_module_getsrc(module, address - backOff);
    int lineNumber = 0;
    const char* file = line == nullptr ? nullptr : dwfl_lineinfo(line, nullptr, &lineNumber, nullptr, nullptr, nullptr);
    if (file != nullptr) return "\r\n\t\t" + std::string(file) + ", Line " + std::to_string(lineNumber);
  }
  return {};
}

// The address is printed; module, symbol and line are those of the call
// before it, the byte before the address, since a return address may already
// belong to the next line or, after a call that never returns, to the next
// function. The distance is still counted to the address itself.
std::string FrameText(std::uintptr_t returnAddress) {
  char addressText[32];
  std::snprintf(addressText, sizeof addressText, "0x%08" PRIXPTR " ", returnAddress);
  std::string text = addressText;

  const Dwarf_Addr callSite = returnAddress - 1;
  Dwfl_Module* module = CImageHlp::Instance().ModuleOf(callSite);
  const char* moduleName = module == nullptr ? nullptr
                                             : dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                                nullptr, nullptr);
  text += moduleName == nullptr ? std::string("<unknown module>: ") : BaseName(moduleName);
  text += ": ";

  GElf_Off offset = 0;
  GElf_Sym symbol{};
  const char* symbolName = module == nullptr ? nullptr
                                             : dwfl_module_addrinfo(module, callSite, &offset, &symbol, nullptr,
                                                                    nullptr, nullptr);
  if (symbolName == nullptr) return text + "<unknown symbol>";
  text += ReadableSymbol(symbolName);
  text += " + " + std::to_string(offset + 1) + " bytes";
  return text + LineText(module, callSite);
}

}  // namespace

__attribute__((noinline)) void GetStackTrace(CBstr& text) {
  try {
    CImageHlp::Instance().Initialize();
    void* steps[kMaxStackWalkSteps];
    const int walked = backtrace(steps, kMaxStackWalkSteps);
    // The first step is this function itself (a checking runtime may add its
    // own before it): the stack proper begins where this function returns to.
    int first = 1;
    for (int step = 0; step < walked; ++step) {
      if (steps[step] == __builtin_return_address(0)) {
        first = step;
        break;
      }
    }
    std::vector<std::uintptr_t> recorded;
    for (int step = first; step < walked; ++step) {
      if (steps[step] != nullptr) recorded.push_back(reinterpret_cast<std::uintptr_t>(steps[step]));
    }
    // The outermost frame, the process's entry point, tells nothing.
    std::string frames;
    for (std::size_t frame = 0; frame + 1 < recorded.size(); ++frame) frames += FrameText(recorded[frame]) + "\r\n";
    text += CBstr(FromSystemText(frames).c_str());
  } catch (const std::bad_alloc&) {
    throw E_OUTOFMEMORY;
  }
}

// Expected answers of the base driver's operations, shared by the tests that check them on a
// plain base driver and on this module's drivers.
#pragma once

#include <string>
#include <vector>

#include "platform/dispatch_call.h"
#include "platform/variant.h"

namespace s4::test {

struct ExpectedAnswer {
  DISPID id;
  std::vector<Variant> args;
  HRESULT hr;
  std::string rendered;  // VarTypeName + " " + DescribeValue of the result; "" for none
};

inline std::string RenderResult(const CallResult& r) {
  if (r.value.vt() == VT_EMPTY) return "";
  return VarTypeName(r.value.vt()) + " " + DescribeValue(r.value.raw());
}

inline Variant I4(std::int32_t v) { return Variant(v); }
inline Variant I8(std::int64_t v) { return Variant(v); }
inline Variant Str(const char16_t* v) { return Variant(v); }

// The driver operations whose base answer this module's drivers keep, with arguments that
// exercise their ranges.
inline std::vector<ExpectedAnswer> KeptDriverDefaults() {
  const HRESULT ok = S_OK;
  const std::string T = "VT_BOOL True", F = "VT_BOOL False";
  std::vector<ExpectedAnswer> e;
  auto add = [&](DISPID id, std::vector<Variant> args, HRESULT hr, std::string rendered) {
    e.push_back({id, std::move(args), hr, std::move(rendered)});
  };
  add(503753, {}, ok, "VT_DISPATCH null");              // GetVireoDevice
  add(503755, {}, ok, F);                               // Finalize
  add(503757, {}, ok, F);                               // SaveProcessorState
  add(503758, {}, ok, F);                               // RestoreProcessorState
  add(503760, {}, ok, "VT_DISPATCH null");              // GetRackViewer
  add(503762, {}, ok, "");                              // ShowAboutDialog
  add(503766, {I4(0), I8(0x1FFFFFFFFll)}, ok, F);       // SetProcessorRegisterValue
  add(503766, {I4(-1), I8(1)}, ok, F);
  add(503767, {I4(-1)}, ok, "VT_I4 0 (0x00000000)");    // GetProcessorRegisterValue
  add(503767, {I4(0)}, ok, "VT_I4 0 (0x00000000)");
  add(503768, {I4(0)}, ok, "VT_I4 0 (0x00000000)");     // GetProcessorRegisterWidth
  add(503769, {I4(0)}, ok, "VT_BSTR \"\"");             // GetProcessorRegisterName
  add(503770, {I4(0)}, ok, "VT_BSTR \"\"");             // GetProcessorRegisterShortName
  add(503771, {}, ok, "VT_I4 0 (0x00000000)");          // GetProcessorRegisterCount
  add(503772, {}, ok, "VT_I4 -1 (0xFFFFFFFF)");         // GetRegisterIndex_PC
  add(503773, {}, ok, "VT_I4 -1 (0xFFFFFFFF)");         // GetRegisterIndex_SP
  add(503774, {}, ok, "VT_I4 1 (0x00000001)");          // GetSoftBreakpointAddressByteAlign
  add(503775, {I4(0)}, ok, "VT_I4 0 (0x00000000)");     // GetMemorySpaceWidth
  add(503776, {I4(0)}, ok, "VT_I4 0 (0x00000000)");     // GetMemorySpaceKind
  add(503777, {I4(0)}, ok, "VT_I4 1 (0x00000001)");     // GetMemorySpaceBytesPerUnit
  add(503778, {I4(0)}, ok, "VT_BSTR \"\"");             // GetMemorySpaceName
  add(503779, {I4(0)}, ok, "VT_BSTR \"\"");             // GetMemorySpaceShortName
  add(503780, {}, ok, "VT_I4 0 (0x00000000)");          // GetMemorySpaceCount
  add(503781, {}, ok, "VT_I4 -1 (0xFFFFFFFF)");         // GetMemorySpace_Program
  add(503782, {I4(0)}, ok, T);                          // InitDownload
  add(503783, {I4(0)}, ok, T);                          // FinishDownload
  add(503784, {}, ok, T);                               // RunDiagnostic
  add(503785, {}, ok, F);                               // LittleEndian
  add(503792, {}, ok, "VT_BSTR \".VHD\"");              // CoreGen_OutputExtension
  // Processor control needs the host device's debug register; without a host device the
  // first register access fails.
  for (DISPID id = 503793; id <= 503802; ++id) {
    if (id == 503799) {
      add(id, {I4(2)}, E_UNEXPECTED, "");  // RunSteps
    } else {
      add(id, {}, E_UNEXPECTED, "");
    }
  }
  add(503803, {}, ok, F);                               // ProcessorIsUsingReducedInstructionSet
  add(503804, {}, ok, F);                               // Flash_Reset
  add(503805, {Str(u"a.bin")}, ok, "VT_I4 0 (0x00000000)");  // Flash_Program
  add(503806, {}, ok, "");                              // Flash_Configure
  add(503807, {I4(0), Str(u"12")}, ok, F);              // SetProcessorRegisterWideValue
  add(503808, {I4(0)}, ok, "VT_BSTR \"0\"");            // GetProcessorRegisterWideValue
  add(503808, {I4(-5)}, ok, "VT_BSTR \"0\"");
  add(503809, {Variant::Dispatch(nullptr)}, ok, F);     // ConfigureFpgaProject
  add(503810, {}, ok, T);                               // ShowConfiguration
  add(503811, {}, ok, "");                              // ShowCurrentSensePanel
  add(503813, {}, ok, F);                               // InvalidateResources
  add(503814, {I4(0)}, ok, "");                         // CustomAction_Execute
  add(503817, {}, ok, F);                               // EPM_InititateTest
  add(503818, {I4(0)}, ok, "VT_I4 -1 (0xFFFFFFFF)");    // EPM_GetTestResult
  add(503819, {Variant::Dispatch(nullptr)}, ok, "");    // EPM_SetPercentCallBack
  add(503820, {}, ok, F);                               // Flash_ResetForBitStream
  add(503822, {Str(u"")}, ok, "");                      // SetEmbeddedConstraintFile
  add(508552, {I4(0), I8(0x100000000ll)}, ok, "VT_I4 0 (0x00000000)");  // AddSoftBreakpoint
  add(508553, {I4(0), I8(4), I8(0x1FFFFFFFFll)}, ok, F);                // RemoveSoftBreakpoint
  add(508554, {I4(0)}, ok, "VT_I8 0");                  // GetMemorySpaceLength
  add(509376, {}, ok, "VT_DISPATCH null");              // ClockCoreGenerator
  add(509427, {}, ok, "VT_DISPATCH null");              // ClockCoreTemplateGenerator
  add(509470, {}, ok, "VT_DISPATCH null");              // ClockGeneratorTargetCore
  add(509981, {I4(0)}, ok, "VT_DISPATCH null");         // CustomCoreGenerator
  return e;
}

}  // namespace s4::test

// The typed host calls: argument order and types as the host receives them, result
// conversion, and the failure rule (every failure raises HostCallError).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/host_call.h"
#include "host/host_dispids.h"
#include "simhost/sim_dispatch.h"

namespace s4::host {
namespace {

using sim::SimCall;
using sim::SimObject;

TEST(HostCall, ArgumentsArriveInCallOrderWithTheirTypes) {
  auto gui = SimObject::Make("gui");
  gui->Answer(hostid::IDispGUIManager::ProcessShortcut, Variant(true));
  EXPECT_TRUE(IDispGUIManager::ProcessShortcut(gui->dispatch(), 65, true, false, true));
  const auto& c = gui->Calls().at(0);
  ASSERT_EQ(c.args.size(), 4u);
  EXPECT_EQ(c.args[0].vt(), VT_I4);
  EXPECT_EQ(c.Int(0), 65);
  EXPECT_EQ(c.args[1].vt(), VT_BOOL);
  EXPECT_TRUE(c.Bool(1));
  EXPECT_FALSE(c.Bool(2));
  EXPECT_TRUE(c.Bool(3));

  auto tools = SimObject::Make("tools");
  tools->On(hostid::IDispVendorToolManager::GetToolPath,
            [](SimCall& call) { return Variant(std::u16string_view(call.Text(0) + u"/" + call.Text(1))); });
  EXPECT_EQ(IDispVendorToolManager::GetToolPath(tools->dispatch(), u"Altera", u"Quartus_Cmd"), u"Altera/Quartus_Cmd");
}

TEST(HostCall, ByReferenceTextIsReplacedByTheHost) {
  auto api = SimObject::Make("api");
  api->On(hostid::IDispClientAPI::GetHelpAddress, [](SimCall& call) {
    call.SetVarText(1, u"http://help/" + call.Text(1));
    return Variant(true);
  });
  WideString address(u"old");
  EXPECT_TRUE(IDispClientAPI::GetHelpAddress(api->dispatch(), u"topic", address));
  EXPECT_EQ(address, u"http://help/old");
}

TEST(HostCall, ResultsConvertOrRaise) {
  auto obj = SimObject::Make("obj");
  // Numbers and texts convert as automation converts them.
  obj->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::u16string_view(u"12")));
  EXPECT_EQ(IDispVireoDevice::GetChainPosition(obj->dispatch()), 12);
  obj->Answer(hostid::IDispVireoDevice::GetDeviceName, Variant());
  EXPECT_EQ(IDispVireoDevice::GetDeviceName(obj->dispatch()), u"");
  obj->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(nullptr));
  EXPECT_FALSE(IDispVireoDevice::GetJTagChannel(obj->dispatch()));
  obj->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(obj->dispatch()));
  EXPECT_EQ(IDispVireoDevice::GetJTagChannel(obj->dispatch()).get(), obj->dispatch());

  struct Case {
    const char* what;
    std::function<void()> call;
    HRESULT hr;
  } cases[] = {
      {"null target", [] { IDispJTagChannel::Close(static_cast<IDispatch*>(nullptr)); }, E_POINTER},
      {"not answered", [&] { IDispJTagChannel::Close(obj->dispatch()); }, E_NOTIMPL},
      {"failed",
       [&] {
         obj->Fail(hostid::IDispJTagChannel::Open, static_cast<HRESULT>(0x80070005u));
         IDispJTagChannel::Open(obj->dispatch());
       },
       static_cast<HRESULT>(0x80070005u)},
      {"wrong result type",
       [&] {
         obj->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::u16string_view(u"twelve")));
         IDispVireoDevice::GetChainPosition(obj->dispatch());
       },
       DISP_E_TYPEMISMATCH},
      {"text for an object",
       [&] {
         obj->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant(std::u16string_view(u"x")));
         IDispVireoDevice::GetJTagChannel(obj->dispatch());
       },
       DISP_E_TYPEMISMATCH},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.call();
      ADD_FAILURE() << "no exception";
    } catch (const HostCallError& e) {
      EXPECT_EQ(e.hresult(), c.hr);
    }
  }
}

}  // namespace
}  // namespace s4::host

namespace s4::host {
namespace {

// The one list of host operations: within an interface every DISPID and every name is used
// once, and DISPIDs are positive.
TEST(HostOperationList, IdsAndNamesAreUniquePerInterface) {
  struct Op {
    const char* iface;
    const char* name;
    DISPID id;
  };
#define S4_HOST_OP(Interface, Name, Id, ...) {#Interface, #Name, Id},
  static const Op ops[] = {
#include "host/host_operations.inc"
  };
#undef S4_HOST_OP
  std::set<std::pair<std::string, DISPID>> ids;
  std::set<std::pair<std::string, std::string>> names;
  for (const Op& op : ops) {
    EXPECT_GT(op.id, 0) << op.iface << "." << op.name;
    EXPECT_TRUE(ids.insert({op.iface, op.id}).second) << op.iface << " repeats DISPID " << op.id;
    EXPECT_TRUE(names.insert({op.iface, op.name}).second) << op.iface << " repeats " << op.name;
  }
}

}  // namespace
}  // namespace s4::host

#include <gtest/gtest.h>

#include <fstream>

#include "app/app_state.h"
#include "app/busy_state.h"
#include "app/engine_status.h"
#include "app/simulator_workspace.h"
#include "app_fakes.h"
#include "assembler/assembler.h"
#include "common/tick_source.h"
#include "link/fake_serial_device.h"

namespace {

class BusyStateTest : public testing::Test
{
protected:
    void Assemble(const std::string& source)
    {
        const auto file = dir.Path() / "busy.a51";
        std::ofstream(file, std::ios::binary) << source;
        assembler.Assemble(file.string());
        ASSERT_TRUE(assembler.IsAssembling());
        EXPECT_TRUE(ComputeBusyState(&assembler, nullptr, nullptr, nullptr).assembling);
        while (assembler.AssembleStep()) {
        }
    }

    CScratchDir dir;
    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler{output, code, modules};
};

TEST_F(BusyStateTest, AssemblyIsGoodOnlyAfterAnErrorFreeAssembly)
{
    EXPECT_FALSE(ComputeBusyState(&assembler, nullptr, nullptr, nullptr).assemblyGood);
    Assemble("\tORG 0\r\n\tMOV A,#1\r\n\tEND\r\n");
    BusyStateType busy = ComputeBusyState(&assembler, nullptr, nullptr, nullptr);
    EXPECT_FALSE(busy.assembling);
    EXPECT_TRUE(busy.assemblyGood);

    Assemble("\tMOV A,#1\r\n\tBOGUS 3\r\n\tEND\r\n");
    ASSERT_GT(assembler.GetErrorCount(), 0);
    EXPECT_FALSE(ComputeBusyState(&assembler, nullptr, nullptr, nullptr).assemblyGood);
}

TEST(BusyStateSourcesTest, EachConditionComesFromItsSource)
{
    CFakeSimulator simulator;
    CFakeFind find;
    CFakeLink link;
    EXPECT_TRUE(ComputeBusyState(nullptr, &simulator, &find, &link).IsIdle());

    simulator.executing = true; // executing without a loaded simulation is not running
    EXPECT_FALSE(ComputeBusyState(nullptr, &simulator, &find, &link).running);
    simulator.simulating = true;
    BusyStateType busy = ComputeBusyState(nullptr, &simulator, &find, &link);
    EXPECT_TRUE(busy.simulating);
    EXPECT_TRUE(busy.running);
    EXPECT_FALSE(busy.IsIdle());

    simulator.executing = false;
    find.searching = true;
    link.open = true;
    busy = ComputeBusyState(nullptr, &simulator, &find, &link);
    EXPECT_FALSE(busy.running);
    EXPECT_TRUE(busy.searching);
    EXPECT_TRUE(busy.linkOpen);
    EXPECT_FALSE(busy.IsIdle());
}

TEST(StatusTextTest, BusyWhileRunningOrAssemblingOnly)
{
    BusyStateType busy;
    EXPECT_EQ(GetStatusText(busy), "\tReady");
    busy.searching = true;
    busy.simulating = true;
    EXPECT_EQ(GetStatusText(busy), "\tReady");
    busy.running = true;
    EXPECT_EQ(GetStatusText(busy), "\tBusy");
    busy = {};
    busy.assembling = true;
    EXPECT_EQ(GetStatusText(busy), "\tBusy");
    EXPECT_EQ(CaretPaneText(12, 3), "\tLn 12, Col 3");
    EXPECT_EQ(OverwritePaneText(true), "\tOVR");
    EXPECT_EQ(OverwritePaneText(false), "\tINS");
}

TEST(SimulatorSetupTest, UpdateCountsFollowAutoUpdate)
{
    SimulationOptionsType options{1, 1, 0x80, 2, 1, 0, 300};
    SimulatorSetupType setup = SimulatorSetupFor(options);
    EXPECT_EQ(setup.updateCount, 10000);
    EXPECT_EQ(setup.remainingCount, 10000);
    EXPECT_EQ(setup.paged8bitAddressing, 1);
    EXPECT_EQ(setup.controlAddress, 0x80);
    EXPECT_EQ(setup.memoryPages, 2);
    EXPECT_EQ(setup.processorVariant, 1);

    options.autoUpdate = 1;
    setup = SimulatorSetupFor(options);
    EXPECT_EQ(setup.updateCount, 300);
    EXPECT_EQ(setup.remainingCount, 300);

    // A chunk must execute at least one instruction.
    options.updateCount = -5;
    EXPECT_EQ(SimulatorSetupFor(options).updateCount, 1);
}

} // namespace

namespace {

TEST(BusyStateSourcesTest, TheRealEnginesFeedTheBusyState)
{
    CScratchDir dir;
    std::ofstream(dir.Path() / "a.a51", std::ios::binary) << "\tNOP\r\n";
    COutputText output;
    CFindInFileClass finder;
    CFindStatus find(finder);
    CSimulator simulator;
    CSimulatorWorkspace simulation(simulator);
    CFakeSerialDevice device;
    CFakePortCatalog catalog;
    catalog.AddPort("/dev/ttyS0");
    CFakeTickSource clock{1000};
    CRecordingSink sink;
    CMonitor monitor{device, catalog, clock, sink};
    CLinkControl link(monitor);
    EXPECT_TRUE(ComputeBusyState(nullptr, &simulation, &find, &link).IsIdle());

    simulator.Start();
    EXPECT_TRUE(ComputeBusyState(nullptr, &simulation, &find, &link).simulating);
    simulator.Stop();

    finder.Start("NOP", dir.Path(), "*.a51", &output, false, false, false);
    EXPECT_TRUE(ComputeBusyState(nullptr, &simulation, &find, &link).searching);
    while (finder.IsActive()) {
        finder.Step();
    }
    EXPECT_FALSE(ComputeBusyState(nullptr, &simulation, &find, &link).searching);
    ASSERT_GE(monitor.Open(0, "/dev/ttyS0"), 0);
    EXPECT_TRUE(ComputeBusyState(nullptr, &simulation, &find, &link).linkOpen);
    link.Close();
    EXPECT_FALSE(ComputeBusyState(nullptr, &simulation, &find, &link).linkOpen);
}

} // namespace

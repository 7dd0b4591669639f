#include <gtest/gtest.h>

#include "app/simulator_workspace.h"
#include "scratch_dir.h"
#include "simulator/value_format.h"

namespace {

TEST(SimulatorWorkspaceTest, SetupReachesTheSimulationAtItsNextStart)
{
    CSimulator simulator;
    CSimulatorWorkspace workspace(simulator);
    SimulatorSetupType setup;
    setup.paged8bitAddressing = 1;
    setup.pagedMemory = 1;
    setup.controlAddress = 0x30;
    setup.memoryPages = 2; // 4 pages of 64 KB
    setup.processorVariant = 1;
    setup.updateCount = 250;
    workspace.SetSetup(setup);
    EXPECT_FALSE(workspace.IsSimulating());

    simulator.Start();
    EXPECT_TRUE(workspace.IsSimulating());
    EXPECT_EQ(simulator.ExternalRam().size(), 4u * 0x10000);
    EXPECT_EQ(simulator.UpdateCount(), 250);
    const MemoryOptionsType& options = simulator.Processor().MemoryOptions();
    EXPECT_TRUE(options.useP2ForRi);
    EXPECT_EQ(options.controlAddress, 0x30);
    EXPECT_EQ(options.variant, ProcessorVariant::kAduc84x);

    workspace.EndSimulation();
    EXPECT_FALSE(workspace.IsSimulating());
    workspace.EndSimulation(); // nothing loaded: nothing happens
}

TEST(SimulatorWorkspaceTest, ButtonsAndWatchesTravelWithTheWorkspace)
{
    CScratchDir dir;
    CSimulator simulator;
    CSimulatorWorkspace workspace(simulator);
    const std::string value = "10,20,60,120,0,Start,4,1,0,P3";
    workspace.LoadButton(value);
    workspace.LoadButton("1,2,3,4,1,Other,1,0,1,8000H");
    EXPECT_EQ(workspace.ButtonValues().size(), 2u);
    EXPECT_EQ(workspace.ButtonValues()[0], value);
    workspace.ClearButtons();
    EXPECT_TRUE(workspace.ButtonValues().empty());

    simulator.Watches().AddWatch("30H", kWatchDirectMemory, kWatchByte, 0, "", 0, 0,
                                 DisplayRadix::kHexadecimal, -1);
    const auto file = dir.Path() / "WATCH.DAT";
    workspace.WriteWatchFile(file);
    CSimulator other;
    CSimulatorWorkspace otherWorkspace(other);
    otherWorkspace.ReadWatchFile(file);
    ASSERT_EQ(other.Watches().WatchCount(), 1);
    EXPECT_EQ(other.Watches().GetWatch(0)->name, "30H");
}

} // namespace

#pragma once

// A loaded main window with the link opened by the power key on the fake port
// and the push's frames cleared, for the tests of the panel's keys:
//     struct MyTest : PoweredPanel {};
//     TEST_F(MyTest, ...) { powerOn(); q->cmNB_Click(); EXPECT_EQ(frames(), ...); }

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "front_panel/quelm.h"
#include "support/civ_frames.h"
#include "support/quelm_fixture.h"

struct PoweredPanel : ::testing::Test {
    QuelmFixture f;
    quelm::Quelm* q = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        q = f.window.get();
    }

    void powerOn()
    {
        q->cmPower_Click();
        ASSERT_TRUE(quelm::isOn(q->st.PowerOn));
        f.fake.serial.clearWrites();
    }

    // What went out since the last clear, one hex text per frame.
    std::vector<std::string> frames() const
    {
        std::vector<std::string> out;
        for (const auto& w : f.fake.serial.writes())
            out.push_back(testframes::shown(w.bytes));
        return out;
    }

    static std::vector<std::string> shownAll(const std::vector<QByteArray>& frames)
    {
        std::vector<std::string> out;
        for (const auto& b : frames)
            out.push_back(testframes::shown(b));
        return out;
    }
};

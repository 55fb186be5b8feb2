#include "job/folantrarec.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
struct SysRecScope {
    FolantraRec saved;
    SysRecScope() { std::memcpy(&saved, getSysRec(), sizeof saved); }
    ~SysRecScope() { setSysRec(&saved); }
};
} // namespace

TEST(FolantraRec, FlagsAreOnOnlyAtOne)
{
    SysRecScope scope;
    FolantraRec r;
    clearRec(&r);
    r.flags[kFlagTrimBox] = 2;
    r.flags[kFlagPageBorder] = 1;
    r.flags[kFlagDistill] = -1;
    setSysRec(&r);
    EXPECT_FALSE(getTrimBox());
    EXPECT_TRUE(getPageBorder());
    EXPECT_FALSE(getDistiller());
    EXPECT_EQ(getSetting(&r, kFlagDistill), -1); // sign-extended
    EXPECT_EQ(getSetting(&r, 8), 0);
}

TEST(FolantraRec, PSPathNeedsPrintToFileAndAPath)
{
    SysRecScope scope;
    FolantraRec r;
    clearRec(&r);
    r.flags[kFlagPrintToFile] = 1;
    setSysRec(&r);
    EXPECT_EQ(getPSPath(), nullptr); // flag on, path empty
    std::strcpy(r.psPath, "/tmp/job.ps");
    for (int8_t v : {0, 2, -1}) {
        r.flags[kFlagPrintToFile] = v;
        setSysRec(&r);
        EXPECT_EQ(getPSPath(), nullptr) << int(v);
    }
    r.flags[kFlagPrintToFile] = 1;
    setSysRec(&r);
    ASSERT_NE(getPSPath(), nullptr);
    EXPECT_STREQ(getPSPath(), "/tmp/job.ps");
}

TEST(FolantraRec, ClearedRecordAndByteComparison)
{
    FolantraRec a, b;
    std::memset(&a, 0x55, sizeof a);
    clearRec(&a);
    EXPECT_EQ(a.scaleX, 1.0f);
    EXPECT_EQ(a.scaleY, 1.0f);
    EXPECT_EQ(a.folder[0], 0);
    clearRec(&b);
    EXPECT_TRUE(sameRec(&a, &b));
    // A byte behind a string's terminator still makes the records differ.
    b.metaData.title[200] = 'x';
    EXPECT_FALSE(sameRec(&a, &b));
}

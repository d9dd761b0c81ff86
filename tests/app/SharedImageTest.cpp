#include "framework/app/QuibAppBase.h"
#include "framework/app/SharedImageStore.h"
#include "framework/graphics/DDImage.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace Quib {
namespace {

using namespace Testing;

class SharedImageTest : public ::testing::Test {
protected:
    SharedImageTest() : cwd(std::string(QUIB_TEST_DATA) + "/resources")
    {
        MakeTestDisplay(app, kDisplayLayouts[0]);
    }

    int32_t Uses(const SharedImageRef& ref) { return ref.record ? ref.record->useCount.load() : -1; }

    ScopedWorkingDirectory cwd;
    ScopedPak pak;
    QuibAppBase app;
};

TEST_F(SharedImageTest, OneEntryPerNameAndVariantWhateverTheCase)
{
    bool created = false;
    SharedImageRef a = app.GetSharedImage("images/cels.png", "v", &created);
    EXPECT_TRUE(created);
    ASSERT_NE(a.GetRecordImage(), nullptr);
    EXPECT_EQ(a.GetRecordImage()->width, 4);
    SharedImageRef b = app.GetSharedImage("IMAGES/Cels.PNG", "V", &created);
    EXPECT_FALSE(created);
    EXPECT_EQ(b.GetRecordImage(), a.GetRecordImage());
    EXPECT_EQ(Uses(a), 2);
    SharedImageRef other = app.GetSharedImage("images/cels.png", "", &created);
    EXPECT_TRUE(created);
    EXPECT_NE(other.GetRecordImage(), a.GetRecordImage());
    EXPECT_EQ(app.sharedImages.Size(), 2u);

    // A "!" name is an empty picture; a missing file an entry without one.
    SharedImageRef blank = app.GetSharedImage("!anything", "", &created);
    ASSERT_NE(blank.GetRecordImage(), nullptr);
    EXPECT_EQ(blank.GetRecordImage()->width, 0);
    SharedImageRef missing = app.GetSharedImage("images/none.png", "", nullptr);
    EXPECT_NE(missing.record, nullptr);
    EXPECT_EQ(missing.GetImage(), nullptr);
}

TEST_F(SharedImageTest, CopiesAndAssignmentsCountTheirUses)
{
    SharedImageRef a = app.GetSharedImage("images/cels.png", "", nullptr);
    DDImage* picture = a.GetRecordImage();
    {
        SharedImageRef copy(a);
        EXPECT_EQ(Uses(a), 2);
        SharedImageRef assigned;
        assigned = copy;
        EXPECT_EQ(Uses(a), 3);
        const SharedImageRef& itself = assigned;
        assigned = itself; // nothing changes
        EXPECT_EQ(Uses(a), 3);
        EXPECT_EQ(assigned.GetRecordImage(), picture);
        SharedImageRef moved(std::move(assigned));
        EXPECT_EQ(assigned.record, nullptr);
        EXPECT_EQ(Uses(a), 3);
        moved = SharedImageRef(); // releases
        EXPECT_EQ(Uses(a), 2);
    }
    EXPECT_EQ(Uses(a), 1);
    EXPECT_FALSE(app.sharedImages.released);

    // The only user assigned to itself keeps the picture.
    const SharedImageRef& same = a;
    a = same;
    EXPECT_EQ(Uses(a), 1);
    EXPECT_EQ(a.GetRecordImage(), picture);
    app.PurgeReleasedSharedImages();
    EXPECT_EQ(app.sharedImages.Size(), 1u);
}

TEST_F(SharedImageTest, TheLastReleaseLetsThePurgeDeleteThePicture)
{
    SharedImageRef kept = app.GetSharedImage("images/cels.png", "", nullptr);
    SharedImageRef dropped = app.GetSharedImage("images/plain.png", "", nullptr);
    DDImage* droppedPicture = dropped.GetRecordImage();
    ASSERT_EQ(app.imageSet.count(droppedPicture), 1u);
    SharedImageRef second = dropped;
    dropped.Release();
    EXPECT_FALSE(app.sharedImages.released);
    second.Release();
    EXPECT_EQ(second.record, nullptr);
    EXPECT_TRUE(app.sharedImages.released);
    app.PurgeReleasedSharedImages();
    EXPECT_FALSE(app.sharedImages.released);
    EXPECT_EQ(app.sharedImages.Size(), 1u);
    EXPECT_EQ(app.imageSet.count(droppedPicture), 0u);
    EXPECT_NE(kept.GetRecordImage(), nullptr);

    // Asked for again: made anew.
    bool created = false;
    SharedImageRef again = app.GetSharedImage("images/plain.png", "", &created);
    EXPECT_TRUE(created);
}

TEST_F(SharedImageTest, AReferenceMayOutliveTheStore)
{
    SharedImageRef survivor;
    {
        SharedImageStore store(&app);
        survivor = store.GetSharedImage("images/cels.png", "", nullptr);
        SharedImageRef copy = survivor;
        ASSERT_NE(survivor.GetRecordImage(), nullptr);
    }
    EXPECT_EQ(survivor.GetImage(), nullptr);
    SharedImageRef copy = survivor;
    EXPECT_EQ(Uses(copy), 2);
    survivor.Release();
    copy.Release();
}

TEST_F(SharedImageTest, AnOwnPictureIsSharedByTheCopiesAndPreferred)
{
    SharedImageRef a = app.GetSharedImage("images/cels.png", "", nullptr);
    auto own = std::make_shared<MemoryImage>(nullptr);
    std::weak_ptr<Image> watch = own;
    a.ownImage = std::move(own);
    SharedImageRef copy(a);
    SharedImageRef assigned;
    assigned = a;
    EXPECT_EQ(copy.GetImage(), watch.lock().get());
    EXPECT_EQ(assigned.GetImage(), watch.lock().get());
    EXPECT_NE(copy.GetRecordImage(), nullptr);
    a.Release();
    EXPECT_FALSE(watch.expired()); // the copies still hold it
    copy.Release();
    assigned.Release();
    EXPECT_TRUE(watch.expired());
}

} // namespace
} // namespace Quib

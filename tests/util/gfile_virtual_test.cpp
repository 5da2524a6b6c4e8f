// GFile's calls through the virtual table: a derived file's replacements are
// used by the other operations, and the slots keep the exported order.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/util/temp_folder.h"
#include "util/gfile.h"

namespace {

class GFileVirtualFile : public ::testing::Test {
  protected:
    TempFolder folder;
};

// A file whose Read, Seek, Close and GetSecurityAttributes are replaced and
// counted; the replacements still do the real work.
class CountingFile : public GFile {
  public:
    unsigned Read(void* buffer, unsigned count) override {
        ++reads;
        return GFile::Read(buffer, count);
    }
    unsigned long long Seek(unsigned long long offset, unsigned origin) override {
        seeks.push_back({offset, origin});
        return GFile::Seek(offset, origin);
    }
    void Write(const void* buffer, unsigned count) override {
        ++writes;
        GFile::Write(buffer, count);
    }
    void Close() override {
        ++closes;
        GFile::Close();
    }
    SECURITY_ATTRIBUTES* GetSecurityAttributes() const override {
        ++attributeQueries;
        return GFile::GetSecurityAttributes();
    }
    int SetEndOfFile(unsigned long long length) override {
        ends.push_back(length);
        return GFile::SetEndOfFile(length);
    }

    struct SeekCall {
        unsigned long long offset;
        unsigned origin;
        bool operator==(const SeekCall& o) const {
            return offset == o.offset && origin == o.origin;
        }
    };
    int reads = 0;
    int writes = 0;
    int closes = 0;
    mutable int attributeQueries = 0;
    std::vector<SeekCall> seeks;
    std::vector<unsigned long long> ends;
};

TEST_F(GFileVirtualFile, DerivedOverridesAreUsedByTheOtherOperations) {
    CountingFile f;
    ASSERT_EQ(f.Open((folder / L"v.bin").c_str(), 0x1000 | 2), 1);
    EXPECT_EQ(f.closes, 1);
    EXPECT_EQ(f.attributeQueries, 1);

    f.WriteHuge("0123456789", 10);
    EXPECT_EQ(f.writes, 1);

    f.SeekToBegin();
    char buffer[4];
    EXPECT_EQ(f.ReadHuge(buffer, 4), 4u);
    EXPECT_EQ(f.reads, 1);
    EXPECT_EQ(f.SeekToEnd(), 10u);
    f.SetLength(7);
    EXPECT_EQ(f.ends, (std::vector<unsigned long long>{7}));
    EXPECT_EQ(f.SetEndOfFile(5), 1);
    using Call = CountingFile::SeekCall;
    EXPECT_EQ(f.seeks, (std::vector<Call>{{0, 0}, {0, 2}, {7, 0}, {5, 0}}));
    EXPECT_EQ(f.GetLength(), 5u);

    EXPECT_EQ(f.Open((folder / L"missing.bin").c_str(), 0), 0);
    EXPECT_EQ(f.closes, 3); // before opening, and after the failure
}

// A file whose Read and Seek are replaced by a memory image: the inherited
// operations see only the replacements.
class MemoryFile : public GFile {
  public:
    explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
    unsigned Read(void* buffer, unsigned count) override {
        std::size_t left = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
        std::size_t n = count < left ? count : left;
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return static_cast<unsigned>(n);
    }
    unsigned long long Seek(unsigned long long offset, unsigned origin) override {
        long long base = origin == 0 ? 0 : origin == 1 ? position_ : bytes_.size();
        position_ = static_cast<std::size_t>(base + static_cast<long long>(offset));
        return position_;
    }
    std::size_t position_ = 0;

  private:
    std::string bytes_;
};

TEST(GFileVirtual, MemoryImageThroughInheritedOperations) {
    MemoryFile f("abcdefgh");
    EXPECT_EQ(f.SeekToEnd(), 8u);
    f.SeekToBegin();
    EXPECT_EQ(f.position_, 0u);
    char buffer[8] = {};
    EXPECT_EQ(f.ReadHuge(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    f.SetLength(5); // reaches the replaced Seek, though no system file is open
    EXPECT_EQ(f.position_, 5u);
}

// The slots of the virtual table, in the order the exported table lists them.
// Under this ABI a pointer to a virtual member holds 1 + its slot's offset.
template <typename M>
std::ptrdiff_t SlotOf(M member) {
    static_assert(sizeof(M) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(GFileVirtual, SlotOrder) {
    const std::ptrdiff_t slots[] = {
        SlotOf(&GFile::operator int),
        SlotOf(&GFile::Abort),
        SlotOf(&GFile::Close),
        SlotOf(&GFile::Duplicate),
        SlotOf(&GFile::Flush),
        SlotOf(&GFile::GetFileName),
        SlotOf(&GFile::GetFilePath),
        SlotOf(&GFile::GetFileTitleW),
        SlotOf(&GFile::GetHandle),
        SlotOf(&GFile::GetInformation),
        SlotOf(&GFile::GetLength),
        SlotOf(&GFile::GetPosition),
        SlotOf(&GFile::GetSecurityAttributes),
        SlotOf(&GFile::GetSecurityDescriptor),
        SlotOf(&GFile::LockRange),
        SlotOf(&GFile::Open),
        SlotOf(&GFile::Read),
        SlotOf(&GFile::ReadHuge),
        SlotOf(&GFile::Seek),
        SlotOf(&GFile::SeekToBegin),
        SlotOf(&GFile::SeekToEnd),
        SlotOf(&GFile::SetEndOfFile),
        SlotOf(&GFile::SetFilePath),
        SlotOf(&GFile::SetLength),
        SlotOf(&GFile::UnlockRange),
        SlotOf(&GFile::Write),
        SlotOf(&GFile::WriteHuge),
    };
    for (std::size_t i = 0; i < sizeof slots / sizeof slots[0]; ++i)
        EXPECT_EQ(slots[i], static_cast<std::ptrdiff_t>(i)) << "slot " << i;
}

} // namespace

#include "platform/posix/PosixAtoms.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

using kdx::platform::FirstStringAtom;
using kdx::platform::posix::PosixAtoms;

namespace {

class AtomTable : public ::testing::Test {
protected:
    kdx::test::Sandbox sandbox;
    PosixAtoms atoms;
};

TEST_F(AtomTable, NamesGiveStringAtomsThatDifferPerName)
{
    const auto activate = atoms.GlobalAddAtom("KaleidraActivateHotKey");
    const auto execute = atoms.GlobalAddAtom("KaleidraExecuteHotKey");
    EXPECT_GE(activate, FirstStringAtom);
    EXPECT_GE(execute, FirstStringAtom);
    EXPECT_NE(activate, execute);
}

TEST_F(AtomTable, SameNameInAnyLetterCaseIsTheSameAtomWhileItExists)
{
    const auto first = atoms.GlobalAddAtom("KaleidraActivateHotKey");
    EXPECT_EQ(first, atoms.GlobalAddAtom("KALEIDRAactivatehotkey"));
    // Two additions need two deletions.
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(first));
    EXPECT_EQ(first, atoms.GlobalAddAtom("KaleidraActivateHotKey"));
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(first));
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(first));
    EXPECT_EQ(first, atoms.GlobalDeleteAtom(first)) << "gone after the last deletion";
}

TEST_F(AtomTable, AFreedAtomIsGivenAgainAndOthersKeepTheirs)
{
    const auto a = atoms.GlobalAddAtom("a");
    const auto b = atoms.GlobalAddAtom("b");
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(a));
    const auto c = atoms.GlobalAddAtom("c");
    EXPECT_EQ(a, c);
    EXPECT_EQ(b, atoms.GlobalAddAtom("B"));
}

TEST_F(AtomTable, AnAtomOutlivesTheProcessThatAddedItWithoutDeleting)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixAtoms other;
        _exit(other.GlobalAddAtom("KaleidraExecuteHotKey") == 0 ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto atom = atoms.GlobalAddAtom("KaleidraExecuteHotKey");
    EXPECT_EQ(FirstStringAtom, atom) << "the child's atom, not a new one";
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(atom));
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(atom)) << "the child's count is still there";
}

TEST_F(AtomTable, IntegerAtomsAndBadNames)
{
    EXPECT_EQ(123, atoms.GlobalAddAtom("#123"));
    EXPECT_EQ(0, atoms.GlobalDeleteAtom(123));
    EXPECT_EQ(0, atoms.GlobalAddAtom(""));
    EXPECT_EQ(0, atoms.GlobalAddAtom(std::string(256, 'x')));
    EXPECT_NE(0, atoms.GlobalAddAtom(std::string(255, 'x')));
    EXPECT_EQ(0, atoms.GlobalAddAtom("two\nlines"));
    EXPECT_GE(atoms.GlobalAddAtom("#49152"), FirstStringAtom) << "beyond the integer range it is a name";
    EXPECT_EQ(0xC123, atoms.GlobalDeleteAtom(0xC123)) << "no such atom";
}

TEST_F(AtomTable, ADamagedTableFileLosesOnlyItsBadLines)
{
    kdx::test::Sandbox::Write(PosixAtoms::TableFile(), "C005 2 Kept Name\ngarbage\nC006 0 NoCount\n0010 1 Low\n");
    EXPECT_EQ(0xC005, atoms.GlobalAddAtom("kept name"));
    EXPECT_EQ(FirstStringAtom, atoms.GlobalAddAtom("NoCount"));
}

} // namespace

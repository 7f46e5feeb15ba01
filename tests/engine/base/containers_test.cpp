#include "engine/base/array.h"
#include "engine/base/binary_tree.h"
#include "engine/base/geometry.h"
#include "engine/base/hash_table.h"
#include "engine/base/linked_list.h"
#include "engine/core/main_loop.h"
#include "engine/core/pause_resume.h"
#include "engine/core/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
template <class T>
std::vector<T> Values(const CxLinkedList<T>& list)
{
    std::vector<T> out;
    for (auto* node = list.GetHead(); node; node = node->GetNext())
        out.push_back(node->m_Value);
    return out;
}
} // namespace

TEST(LinkedList, InsertRemoveKeepBothDirectionsConsistent)
{
    CxLinkedList<int> list;
    list.AddTail(2);
    list.AddHead(1);
    auto* three = list.AddTail(3);
    list.InsertBefore(three, 25);
    list.InsertAfter(nullptr, 0); // after nothing: at the head
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 25, 3}));
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_TRUE(list.Remove(25));
    EXPECT_FALSE(list.Remove(99));
    EXPECT_EQ(list.RemoveTail(), 3);
    EXPECT_EQ(list.RemoveHead(), 0);
    EXPECT_EQ(list.GetTail()->GetPrev(), list.GetHead());
    EXPECT_EQ(list.GetAt(1)->m_Value, 2);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetTail(), nullptr);
}

TEST(LinkedList, DestroyingAListLeavesPointedObjectsAlone)
{
    int value = 5;
    {
        CxLinkedList<int*> list;
        list.AddTail(&value);
    }
    EXPECT_EQ(value, 5);
    CxQueue<int> queue;
    queue.Enqueue(1);
    queue.Enqueue(2);
    EXPECT_EQ(queue.Peek(), 1);
    EXPECT_EQ(queue.Dequeue(), 1);
    EXPECT_EQ(queue.Dequeue(), 2);
    EXPECT_TRUE(queue.IsEmpty());
}

TEST(StackAndArray, CapacityRulesAndOrder)
{
    CxStack<long> stack(2);
    EXPECT_TRUE(stack.Push(1));
    EXPECT_TRUE(stack.Push(2));
    EXPECT_FALSE(stack.Push(3)) << "capacity is fixed at allocation";
    long top = 0;
    EXPECT_TRUE(stack.Peek(top, 1));
    EXPECT_EQ(top, 1);
    EXPECT_TRUE(stack.Pop(top));
    EXPECT_EQ(top, 2);
    CxStack<long> none(0);
    EXPECT_FALSE(none.Push(1));
    EXPECT_FALSE(none.Pop(top));

    CxArray<int> array;
    for (int i = 0; i < 100; ++i)
        array.Add(i);
    array.InsertAt(0, -1);
    array.RemoveAt(50);
    EXPECT_EQ(array.GetCount(), 100u);
    EXPECT_EQ(array[0], -1);
    EXPECT_EQ(array[50], 50);
    EXPECT_EQ(array[99], 99);
}

TEST(HashTable, BucketsByUpperCaseSumAndFindsWithoutCase)
{
    CxHashTable<CxString, 131> table;
    table.Add(CxString("C:\\GAME\\VPLAYER\\TREAD.TGA"));
    table.Add(CxString("abc"));
    EXPECT_TRUE(table.Contains(CxString("c:\\game\\vplayer\\tread.tga")));
    EXPECT_FALSE(table.Contains(CxString("tread.tga")));
    using Table = CxHashTable<CxString, 131>;
    EXPECT_EQ(Table::BucketOf(CxString("abc")), static_cast<int>(('A' + 'B' + 'C') % 131));
    EXPECT_EQ(table.GetBucket(('A' + 'B' + 'C') % 131).GetCount(), 1);
    EXPECT_TRUE(table.Remove(CxString("ABC")));
    EXPECT_EQ(table.GetCount(), 1u);
}

TEST(BinaryTree, InOrderWalkAfterInsertsAndRemoves)
{
    CxBinaryTree<int, int> tree;
    for (int k : {50, 30, 70, 20, 40, 60, 80, 35, 45})
        tree.Insert(k, k * 10);
    tree.Insert(40, 400);         // replaces
    EXPECT_TRUE(tree.Remove(30)); // two children
    EXPECT_TRUE(tree.Remove(80)); // leaf
    EXPECT_FALSE(tree.Remove(99));
    std::vector<int> keys;
    for (CxBinaryTreeIterator<int, int> it(tree); it.IsValid(); it.Next())
        keys.push_back(it.GetKey());
    EXPECT_EQ(keys, (std::vector<int>{20, 35, 40, 45, 50, 60, 70}));
    EXPECT_EQ(*tree.Find(40), 400);
    EXPECT_EQ(tree.GetCount(), 7u);
}

namespace {
struct Pausable : CxPauseResume
{
    int m_nPauses = 0;
    int m_nResumes = 0;
    void Pause() override { ++m_nPauses; }
    void Resume() override { ++m_nResumes; }
};
} // namespace

TEST(PauseResume, OnlyTheOuterPairCalls)
{
    Pausable p;
    p.AddPause();
    p.AddPause();
    p.RemovePause();
    EXPECT_EQ(p.m_nPauses, 1);
    EXPECT_EQ(p.m_nResumes, 0);
    p.RemovePause();
    p.RemovePause(); // one too many: ignored
    EXPECT_EQ(p.m_nResumes, 1);
    EXPECT_FALSE(p.IsPaused());
}

TEST(Rect, InclusiveEdges)
{
    CxRect r(10, 20, 19, 29);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_TRUE(r.Contains(19, 29));
    EXPECT_FALSE(r.Contains(20, 29));
    CxRect i;
    EXPECT_TRUE(i.Intersect(r, CxRect(19, 29, 40, 40)));
    EXPECT_EQ(i, CxRect(19, 29, 19, 29));
    EXPECT_FALSE(i.Intersect(r, CxRect(20, 0, 30, 30)));
    CxRect u;
    u.Union(r, CxRect());
    EXPECT_EQ(u, r);
}

TEST(Random, ClassicGeneratorSequence)
{
    SeedRandom(1);
    EXPECT_EQ(Random(), 41);
    EXPECT_EQ(Random(), 18467);
    EXPECT_EQ(Random(), 6334);
    SeedRandom(1);
    EXPECT_EQ(RandomChoice(10), 1);
    EXPECT_EQ(RandomRange(100, 200), 100 + 18467 % 101);
    EXPECT_EQ(RandomChoice(0), 0);
    for (int i = 0; i < 1000; ++i)
    {
        const int32_t v = RandomRange(-3, 3);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 3);
    }
}

namespace {
int s_nCalls;
void CountCall()
{
    ++s_nCalls;
}
void RemoveSelf()
{
    ++s_nCalls;
    RemoveMainLoopFunction(RemoveSelf);
}
} // namespace

TEST(MainLoop, FunctionsRunOncePerPassAndMayRemoveThemselves)
{
    s_nCalls = 0;
    AddMainLoopFunction(CountCall);
    AddMainLoopFunction(CountCall); // never twice
    AddMainLoopFunction(RemoveSelf);
    RunMainLoopFunctions();
    EXPECT_EQ(s_nCalls, 2);
    EXPECT_FALSE(HasMainLoopFunction(RemoveSelf));
    RunMainLoopFunctions();
    EXPECT_EQ(s_nCalls, 3);
    RemoveMainLoopFunction(CountCall);
}

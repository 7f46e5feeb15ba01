#include "engine/graphics/adaptive_huffman.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/bit_buffer.h"
#include "engine/graphics/decompress.h"

#include <cstring>
#include <initializer_list>
#include <new>
#include <utility>

CxAdaptiveHuffmanTree::CxAdaptiveHuffmanTree()
{
    memset(m_Nodes, 0, sizeof(m_Nodes));
    for (int32_t i = 0; i < SYMBOL_COUNT; ++i)
        m_Leaf[i] = -1;
    m_Nodes[ROOT] = Node{2, -1, ROOT + 1, false};
    m_Nodes[ROOT + 1] = Node{1, ROOT, END_SYMBOL, true};
    m_Nodes[ROOT + 2] = Node{1, ROOT, ESCAPE_SYMBOL, true};
    m_Leaf[END_SYMBOL] = ROOT + 1;
    m_Leaf[ESCAPE_SYMBOL] = ROOT + 2;
    m_nNextFree = ROOT + 3;
}

void CxAdaptiveHuffmanTree::AddSymbol(int32_t symbol)
{
    // The lightest leaf becomes an inner node over itself and the new leaf.
    const int32_t lightest = m_nNextFree - 1;
    const int32_t moved = m_nNextFree;
    const int32_t added = m_nNextFree + 1;
    m_nNextFree += 2;
    m_Nodes[moved] = m_Nodes[lightest];
    m_Nodes[moved].parent = lightest;
    m_Leaf[m_Nodes[moved].child] = moved;
    m_Nodes[lightest].child = moved;
    m_Nodes[lightest].childIsLeaf = false;
    m_Nodes[added] = Node{0, lightest, symbol, true};
    m_Leaf[symbol] = added;
}

void CxAdaptiveHuffmanTree::SwapNodes(int32_t i, int32_t j)
{
    for (const auto& [from, to] : {std::pair{i, j}, std::pair{j, i}})
    {
        if (m_Nodes[from].childIsLeaf)
            m_Leaf[m_Nodes[from].child] = to;
        else
        {
            m_Nodes[m_Nodes[from].child].parent = to;
            m_Nodes[m_Nodes[from].child + 1].parent = to;
        }
    }
    // Positions keep their parents; the contents move.
    Node temp = m_Nodes[i];
    m_Nodes[i] = m_Nodes[j];
    m_Nodes[i].parent = temp.parent;
    temp.parent = m_Nodes[j].parent;
    m_Nodes[j] = temp;
}

void CxAdaptiveHuffmanTree::Update(int32_t symbol)
{
    if (m_Nodes[ROOT].weight >= MAX_WEIGHT)
        Rebuild();
    int32_t current = m_Leaf[symbol];
    while (current != -1)
    {
        ++m_Nodes[current].weight;
        // Move the node in front of every lighter node of its old weight.
        int32_t target = current;
        while (target > ROOT && m_Nodes[target - 1].weight < m_Nodes[current].weight)
            --target;
        if (target != current)
        {
            SwapNodes(current, target);
            current = target;
        }
        current = m_Nodes[current].parent;
    }
}

void CxAdaptiveHuffmanTree::Rebuild()
{
    // Gather the leaves at the end of the array with their weights halved
    // (rounded up), keeping their order.
    int32_t j = m_nNextFree - 1;
    for (int32_t i = j; i >= ROOT; --i)
    {
        if (m_Nodes[i].childIsLeaf)
        {
            m_Nodes[j] = m_Nodes[i];
            m_Nodes[j].weight = (m_Nodes[j].weight + 1) / 2;
            --j;
        }
    }
    // Pair the nodes from the lightest up, inserting each new inner node where
    // its weight keeps the array ordered.
    for (int32_t i = m_nNextFree - 2; j >= ROOT; i -= 2, --j)
    {
        const uint32_t weight = m_Nodes[i].weight + m_Nodes[i + 1].weight;
        int32_t k = j + 1;
        while (k < m_nNextFree && weight < m_Nodes[k].weight)
            ++k;
        --k;
        memmove(&m_Nodes[j], &m_Nodes[j + 1], static_cast<size_t>(k - j) * sizeof(Node));
        m_Nodes[k].weight = weight;
        m_Nodes[k].child = i;
        m_Nodes[k].childIsLeaf = false;
    }
    for (int32_t i = m_nNextFree - 1; i >= ROOT; --i)
    {
        const int32_t child = m_Nodes[i].child;
        if (m_Nodes[i].childIsLeaf)
            m_Leaf[child] = i;
        else
            m_Nodes[child].parent = m_Nodes[child + 1].parent = i;
    }
    m_Nodes[ROOT].parent = -1;
}

uint32_t DecodeAdaptiveHuffman(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                               uint32_t sourceSize, uint32_t* produced)
{
    *produced = 0;
    void* block = CX_ALLOC(sizeof(CxAdaptiveHuffmanTree));
    if (!block)
        return CX_ERR_OUT_OF_MEMORY;
    CxAdaptiveHuffmanTree* tree = new (block) CxAdaptiveHuffmanTree;
    CxBitBuffer input(const_cast<uint8_t*>(source), sourceSize, true);
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    for (;;)
    {
        int32_t node = CxAdaptiveHuffmanTree::ROOT;
        while (!tree->GetNode(node).childIsLeaf)
            node = tree->GetNode(node).child + static_cast<int32_t>(input.ReadBit());
        int32_t symbol = tree->GetNode(node).child;
        if (symbol == CxAdaptiveHuffmanTree::ESCAPE_SYMBOL)
        {
            symbol = static_cast<int32_t>(input.ReadBits(8));
            if (!input.GetError() && tree->HasSymbol(symbol))
            {
                result = CX_ERR_UNKNOWN; // an escape for a byte the tree already holds
                break;
            }
            if (!input.GetError())
                tree->AddSymbol(symbol);
        }
        if (input.GetError())
        {
            result = CX_ERR_UNKNOWN; // the stream ends before its end symbol
            break;
        }
        if (symbol == CxAdaptiveHuffmanTree::END_SYMBOL)
            break;
        if (out >= destinationSize)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        destination[out++] = static_cast<uint8_t>(symbol);
        tree->Update(symbol);
    }
    tree->~CxAdaptiveHuffmanTree();
    CX_FREE(block);
    *produced = out;
    return result;
}

namespace {
void EncodeSymbol(CxAdaptiveHuffmanTree& tree, CxBitSink& bits, int32_t symbol)
{
    const bool known = tree.HasSymbol(symbol);
    int32_t node = tree.GetLeaf(known ? symbol : CxAdaptiveHuffmanTree::ESCAPE_SYMBOL);
    // The path is gathered leaf to root and sent root first. A second child
    // (even index) is a 1 bit. The depth stays far below the node count.
    uint8_t path[CxAdaptiveHuffmanTree::NODE_COUNT];
    int32_t depth = 0;
    while (node != CxAdaptiveHuffmanTree::ROOT)
    {
        path[depth++] = (node & 1) == 0 ? 1 : 0;
        node = tree.GetNode(node).parent;
    }
    while (depth > 0)
        bits.WriteBit(path[--depth]);
    if (!known)
    {
        bits.WriteBits(static_cast<uint32_t>(symbol), 8);
        tree.AddSymbol(symbol);
    }
}
} // namespace

uint32_t EncodeAdaptiveHuffman(CxByteSink& out, const uint8_t* source, uint32_t sourceSize)
{
    void* block = CX_ALLOC(sizeof(CxAdaptiveHuffmanTree));
    if (!block)
        return CX_ERR_OUT_OF_MEMORY;
    CxAdaptiveHuffmanTree* tree = new (block) CxAdaptiveHuffmanTree;
    CxBitSink bits(out);
    for (uint32_t i = 0; i < sourceSize && !out.HasFailed(); ++i)
    {
        EncodeSymbol(*tree, bits, source[i]);
        tree->Update(source[i]);
    }
    EncodeSymbol(*tree, bits, CxAdaptiveHuffmanTree::END_SYMBOL);
    bits.Flush();
    tree->~CxAdaptiveHuffmanTree();
    CX_FREE(block);
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}

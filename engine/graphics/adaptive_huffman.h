// CxAdaptiveHuffmanTree: the model of the adaptive Huffman method (code 7),
// the sibling-property tree of Faller, Gallager and Knuth shared by its
// encoder and decoder. Nodes live in one array ordered by falling weight;
// the children of an inner node sit side by side, the first at an odd index.
// A byte seen for the first time is sent as the escape symbol followed by its
// 8 bits and then split off the lightest leaf with weight 0.
#pragma once

#include "engine/graphics/byte_sink.h"

#include <cstdint>

class CxAdaptiveHuffmanTree
{
public:
    static constexpr int32_t END_SYMBOL = 256;
    static constexpr int32_t ESCAPE_SYMBOL = 257;
    static constexpr int32_t SYMBOL_COUNT = 258;
    static constexpr int32_t NODE_COUNT = SYMBOL_COUNT * 2 - 1;
    static constexpr int32_t ROOT = 0;
    // When the root reaches this weight the leaves are halved and the tree rebuilt.
    static constexpr uint32_t MAX_WEIGHT = 0x8000;

    struct Node
    {
        uint32_t weight;
        int32_t parent;
        int32_t child; // first child of an inner node, or the symbol of a leaf
        bool childIsLeaf;
    };

    CxAdaptiveHuffmanTree();

    bool HasSymbol(int32_t symbol) const { return m_Leaf[symbol] >= 0; }
    int32_t GetLeaf(int32_t symbol) const { return m_Leaf[symbol]; }
    const Node& GetNode(int32_t index) const { return m_Nodes[index]; }

    // Adds a new byte as a leaf of weight 0; the byte must not be present yet.
    void AddSymbol(int32_t symbol);
    // Counts one more occurrence of a symbol and restores the weight order.
    void Update(int32_t symbol);

private:
    void SwapNodes(int32_t i, int32_t j);
    void Rebuild();

    // One spare entry: the rebuild's search may look one past the last node.
    Node m_Nodes[NODE_COUNT + 1];
    int32_t m_Leaf[SYMBOL_COUNT];
    int32_t m_nNextFree;
};

// The encoder of method 7 (the decoder is DecodeAdaptiveHuffman in decompress.h).
uint32_t EncodeAdaptiveHuffman(CxByteSink& out, const uint8_t* source, uint32_t sourceSize);

// The pool glyph objects come from: distinct aligned slots across blocks, slots reused,
// empty blocks given back but the last kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "SlabPool.h"
#include "TTGLYPH.h"

TEST(SlabPool, SlotsAreDistinctAndEmptyBlocksGoBack) {
    SlabPool pool(272);
    EXPECT_EQ(pool.slotSize(), 272u);
    const size_t perBlock = SlabPool::kBlockSize / pool.slotSize();
    std::vector<void*> slots;
    std::set<uintptr_t> seen;
    for (size_t i = 0; i < 3 * perBlock; ++i) {
        void* p = pool.allocate();
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
        ASSERT_TRUE(seen.insert(reinterpret_cast<uintptr_t>(p)).second);
        std::memset(p, 0xAB, pool.slotSize());  // the whole slot is ours
        slots.push_back(p);
    }
    // No two slots overlap.
    uintptr_t last = 0;
    for (uintptr_t p : seen) {
        ASSERT_GE(p, last);
        last = p + pool.slotSize();
    }
    EXPECT_GE(pool.blockCount(), 3u);
    EXPECT_LE(pool.blockCount(), 4u);

    // A slot given back to the block in use is the next one handed out.
    void* latest = slots.back();
    pool.deallocate(latest);
    EXPECT_EQ(pool.allocate(), latest);

    for (void* p : slots) pool.deallocate(p);
    EXPECT_EQ(pool.blockCount(), 1u);
    // Made and dropped again and again, one glyph keeps using the kept block.
    for (int i = 0; i < 1000; ++i) pool.deallocate(pool.allocate());
    EXPECT_EQ(pool.blockCount(), 1u);
    pool.deallocate(nullptr);
}

TEST(SlabPool, GlyphsComeFromThePoolAndKeepTheirContent) {
    std::vector<std::unique_ptr<TTObject>> glyphs;
    for (int i = 0; i < 20000; ++i) {
        auto g = std::make_unique<TTGLYPH>();
        g->m_nIndex = uint16_t(i);
        g->m_name.text = "glyph-with-a-long-name-" + std::to_string(i);
        g->m_points.resize(size_t(i % 7));
        glyphs.push_back(std::move(g));
    }
    for (int i = 0; i < 20000; i += 2) glyphs[size_t(i)].reset();
    for (int i = 1; i < 20000; i += 2) {
        auto* g = static_cast<TTGLYPH*>(glyphs[size_t(i)].get());
        ASSERT_EQ(g->m_nIndex, i);
        ASSERT_EQ(g->m_name.text, "glyph-with-a-long-name-" + std::to_string(i));
        ASSERT_EQ(g->m_points.size(), size_t(i % 7));
    }
    auto copy = glyphs[1]->clone();
    EXPECT_EQ(static_cast<TTGLYPH*>(copy.get())->m_name.text, "glyph-with-a-long-name-1");
}

// Comparisons of 16 and 64 bytes at once with the processor's vector instructions: the one
// place that names them, for the scans of text mode, element division and term search.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
/// Defined where `Block16` and its operations exist.
#define SKERN_BLOCKS16 1
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
/// Defined where `Block64` and its operations exist; they may run only where `hasAvx2()`.
#define SKERN_BLOCKS64 1
/// Marks a function built with AVX2 instructions.
#define SKERN_AVX2 __attribute__((target("avx2")))
/// Defined where `Block512` and its operations exist; they may run only where `hasAvx512bw()`.
#define SKERN_BLOCKS512 1
/// Marks a function built with AVX-512 instructions on bytes.
#define SKERN_AVX512 __attribute__((target("avx512f,avx512bw")))
#endif

/// The vector instructions that the scans may use, from the fewest on.
enum class VectorLevel {
  basic,     ///< Sixteen bytes at a time where SSE2 is there (every x86-64), else one.
  avx2,      ///< Blocks of 64 bytes in two halves of 32.
  avx512bw,  ///< Blocks of 64 bytes at once, comparisons giving masks.
};

/// The highest level that the processor runs (asked once), or the limit set, if lower.
VectorLevel vectorLevel();

/// Keeps the scans to `limit` and the levels below it from now on (highest: what the processor
/// runs), so that the narrower scans can be tried and timed on any processor.
void limitVectorLevel(VectorLevel limit);

/// The last byte `byte` in [from, to), or nullptr.
const char* lastByteIn(const char* from, const char* to, char byte);

#if defined(SKERN_BLOCKS16)
/// Sixteen bytes, or sixteen lanes that a comparison set to 0xFF or 0.
using Block16 = __m128i;

/// The sixteen bytes at `at`.
inline Block16 load16(const void* at) {
  return _mm_loadu_si128(static_cast<const __m128i*>(at));
}
/// `byte` in every lane.
inline Block16 splat16(char byte) {
  return _mm_set1_epi8(byte);
}
/// 0xFF in each lane where `a` and `b` hold the same byte, else 0.
inline Block16 equal16(Block16 a, Block16 b) {
  return _mm_cmpeq_epi8(a, b);
}
/// The bitwise or of `a` and `b`.
inline Block16 or16(Block16 a, Block16 b) {
  return _mm_or_si128(a, b);
}
/// The bitwise and of `a` and `b`.
inline Block16 and16(Block16 a, Block16 b) {
  return _mm_and_si128(a, b);
}
/// Bit i set where lane i has its high bit set (0xFF after a comparison).
inline unsigned mask16(Block16 lanes) {
  return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}
/// Bit i set where byte i of the sixteen at `at` is `byte`.
inline unsigned byteMask16(const char* at, Block16 byte) {
  return mask16(equal16(load16(at), byte));
}
#endif

#if defined(SKERN_BLOCKS64)
/// True when the scans may use AVX2 instructions.
inline bool hasAvx2() {
  return vectorLevel() >= VectorLevel::avx2;
}

/// Sixty-four bytes, or lanes that a comparison set to 0xFF or 0, in two halves of 32.
struct Block64 {
  __m256i low;   ///< Bytes 0 to 31.
  __m256i high;  ///< Bytes 32 to 63.
};

/// The sixty-four bytes at `at`.
SKERN_AVX2 inline Block64 load64(const void* at) {
  const __m256i* p = static_cast<const __m256i*>(at);
  return Block64{_mm256_loadu_si256(p), _mm256_loadu_si256(p + 1)};
}
/// `byte` in every lane.
SKERN_AVX2 inline Block64 splat64(char byte) {
  __m256i all = _mm256_set1_epi8(byte);
  return Block64{all, all};
}
/// 0xFF in each lane where `a` and `b` hold the same byte, else 0.
SKERN_AVX2 inline Block64 equal64(const Block64& a, const Block64& b) {
  return Block64{_mm256_cmpeq_epi8(a.low, b.low), _mm256_cmpeq_epi8(a.high, b.high)};
}
/// The bitwise or of `a` and `b`.
SKERN_AVX2 inline Block64 or64(const Block64& a, const Block64& b) {
  return Block64{_mm256_or_si256(a.low, b.low), _mm256_or_si256(a.high, b.high)};
}
/// The bitwise and of `a` and `b`.
SKERN_AVX2 inline Block64 and64(const Block64& a, const Block64& b) {
  return Block64{_mm256_and_si256(a.low, b.low), _mm256_and_si256(a.high, b.high)};
}
/// The sixteen bytes at `table` in each quarter of a block, for `lookUp64`.
SKERN_AVX2 inline Block64 table64(const void* table) {
  __m256i all = _mm256_broadcastsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(table)));
  return Block64{all, all};
}
/// Byte i: 0 where byte i of `index` has its high bit set, else the byte of `table`'s quarter
/// that the low four bits of byte i of `index` number.
SKERN_AVX2 inline Block64 lookUp64(const Block64& table, const Block64& index) {
  return Block64{_mm256_shuffle_epi8(table.low, index.low),
                 _mm256_shuffle_epi8(table.high, index.high)};
}
/// True when every bit of `lanes` is 0.
SKERN_AVX2 inline bool none64(const Block64& lanes) {
  __m256i any = _mm256_or_si256(lanes.low, lanes.high);
  return _mm256_testz_si256(any, any) != 0;
}
/// Bit i set where lane i has its high bit set (0xFF after a comparison).
SKERN_AVX2 inline std::uint64_t mask64(const Block64& lanes) {
  std::uint64_t low = static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes.low));
  std::uint64_t high = static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes.high));
  return low | (high << 32);
}

/// Thirty-two byte counters, one per lane of a half block.
using LaneCounts = __m256i;

/// Counters at 0.
SKERN_AVX2 inline LaneCounts noCounts() {
  return _mm256_setzero_si256();
}
/// Adds the set lanes of both halves of `lanes` (compared blocks) to `counts`: at most 2 to a
/// counter, which holds no more than 255.
SKERN_AVX2 inline LaneCounts countLanes(LaneCounts counts, const Block64& lanes) {
  return _mm256_sub_epi8(_mm256_sub_epi8(counts, lanes.low), lanes.high);
}
/// The sum of all 32 counters.
SKERN_AVX2 inline std::uint64_t sumCounts(LaneCounts counts) {
  __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
  alignas(32) std::uint64_t lanes[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sums);
  return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}
#endif

#if defined(SKERN_BLOCKS512)
/// True when the scans may use AVX-512 instructions on bytes.
inline bool hasAvx512bw() {
  return vectorLevel() >= VectorLevel::avx512bw;
}

/// Sixty-four bytes in one register.
using Block512 = __m512i;
/// One bit per byte of a `Block512`, bit i for byte i.
using Mask512 = std::uint64_t;

/// The sixty-four bytes at `at`.
SKERN_AVX512 inline Block512 load512(const void* at) {
  return _mm512_loadu_si512(at);
}
/// `byte` in every byte.
SKERN_AVX512 inline Block512 splat512(char byte) {
  return _mm512_set1_epi8(byte);
}
/// The bitwise or of `a` and `b`.
SKERN_AVX512 inline Block512 or512(Block512 a, Block512 b) {
  return _mm512_or_si512(a, b);
}
/// The bitwise exclusive or of `a` and `b`.
SKERN_AVX512 inline Block512 xor512(Block512 a, Block512 b) {
  return _mm512_xor_si512(a, b);
}
/// `a` or `b`, then exclusive or `c`, in one instruction: 0 in byte i where byte i of `a | b`
/// is byte i of `c`.
SKERN_AVX512 inline Block512 orXor512(Block512 a, Block512 b, Block512 c) {
  return _mm512_ternarylogic_epi32(a, b, c, 0x56);  // (A | B) ^ C, A = 0xF0, B = 0xCC, C = 0xAA
}
/// The lower of byte i of `a` and of `b`, as unsigned, in byte i.
SKERN_AVX512 inline Block512 min512(Block512 a, Block512 b) {
  return _mm512_min_epu8(a, b);
}
/// Bit i set where byte i of `a` is 0.
SKERN_AVX512 inline Mask512 zeros512(Block512 a) {
  return _mm512_testn_epi8_mask(a, a);
}
/// The sixteen bytes at `table` in each quarter of a block, for `lookUp512`.
SKERN_AVX512 inline Block512 table512(const void* table) {
  return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_loadu_si128(static_cast<const __m128i*>(table)));
}
/// Byte i: 0 where byte i of `index` has its high bit set, else the byte of `table`'s quarter
/// that the low four bits of byte i of `index` number.
SKERN_AVX512 inline Block512 lookUp512(Block512 table, Block512 index) {
  return _mm512_shuffle_epi8(table, index);
}
#endif

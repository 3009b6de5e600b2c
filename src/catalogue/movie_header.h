#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// PNG pictures and MNG movies checked before they are handed to a decoder that would trust them: the
// sizes it would allocate, the object ranges it would walk, the image data it would inflate.
namespace kestrune::catalogue {

struct MovieSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // What the decoder holds at most while the movie plays, in bytes (see kMaxMovieBytes).
  std::uint64_t decodedBytes = 0;
};

// The most a movie may cost while it plays. Qt's MNG decoder keeps a copy of every image it has shown
// (to replay the movie without reading it again), every defined object, cloned and magnified besides,
// and the frame in three pictures of four bytes a pixel: it is the total, not any one image, that
// runs to gigabytes. This leaves room for 300 frames of 640 x 480 in 24-bit colour, and keeps the
// program, decoder and libraries included, under 300 MB. Movies whose frames are whole images are
// played a frame at a time instead (mng_stream.h): there it bounds what one frame costs to show.
inline constexpr std::uint64_t kMaxMovieBytes = std::uint64_t{272} << 20;

// The movie's frame size when the bytes are an MNG whose chunks are whole, whose every declared image
// (MHDR, IHDR, JHDR, BASI) is at most `maxPixels` pixels and no larger than 65,535 on a side, whose
// images and objects together cost the decoder no more than kMaxMovieBytes, whose MOVE, CLIP and
// SHOW chunks name object ranges the MNG decoder walks to an end, and whose chunks (LOOP bodies
// without an image counted once per repeat) keep it busy for a bounded number of steps between
// frames; otherwise a zero size and *why says what is wrong.
MovieSize CheckMngMovie(std::string_view bytes, std::uint64_t maxPixels, std::string* why);

// Whether a PNG's image data inflates to no more than its header's size needs (with a little slack).
// Decoders inflate whatever compressed data follows the image; a small file can hold gigabytes of it.
// Only that is checked: damaged or truncated data is left for the decoder to refuse, and the size is
// the caller's to bound first (the work here is that of inflating an image of that size). False, with
// *why, when the data inflates beyond the bound.
bool CheckPngData(std::string_view bytes, std::string* why);

}  // namespace kestrune::catalogue

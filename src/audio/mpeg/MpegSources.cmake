# SPDX-License-Identifier: GPL-3.0-or-later
# The MPEG frame work that needs neither FFmpeg nor LAME (headers, the frame
# index, tag frames, silent frames): the audio library builds it, and the
# fuzzers build it on their own.
set(VESSIMO_MPEG_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MpegFrameIndex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MpegHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SilentFrames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamTag.cpp
)

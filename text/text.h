// The text services' primitives in one include: Text, ByteBuffer, TextArray
// and every operation on them.
#ifndef ZARVO_TEXT_TEXT_H_
#define ZARVO_TEXT_TEXT_H_

#include "text/between.h"
#include "text/byte_buffer.h"
#include "text/bytes.h"
#include "text/find.h"
#include "text/join.h"
#include "text/measure.h"
#include "text/number.h"
#include "text/rewrite.h"
#include "text/split.h"
#include "text/text_array.h"
#include "text/text_value.h"

#endif  // ZARVO_TEXT_TEXT_H_

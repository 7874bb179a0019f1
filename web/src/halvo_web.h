#pragma once

// The page's C interface over the core, as the WebAssembly module exports it
// and the fuzz targets call it natively. Lists are numbered in the selection's
// order; languages are 0 Japanese, 1 English.

#include <cstddef>
#include <cstdint>

extern "C" {

/// Number of lists, in the selection's order: year, month, day, hour, minute, second, then the six options.
int halvo_list_count();

/// Number of date and time lists, which come first.
int halvo_date_time_lists();

/// Number of entries in a list, or 0 for an unknown list.
int halvo_list_size(int list);

/// The device value an entry sets (the number a date or time list shows, the minutes of a length, time-lapse's switch).
int halvo_list_value(int list, int position);

/// The initial position of a list, as the dialog opens.
int halvo_initial_position(int list);

/// A list's key, the name the page and the selection give it.
const char* halvo_list_key(int list);

/// A list's caption in a language (0 Japanese, 1 English).
const char* halvo_list_label(int list, int language);

/// What a list's values count, in a language; empty where nothing is named.
const char* halvo_list_unit(int list, int language);

/// An entry's word in a language; empty in a list of numbers, whose entries are their values.
const char* halvo_entry_word(int list, int position, int language);

/// The texts every front end shows: 0 the failure text, 1 what to do with a written set.txt.
const char* halvo_text(int text, int language);

/// The most seconds a clock reading may be moved ahead.
int halvo_max_lead();

/// The lead the page offers until the owner saves with another.
int halvo_default_lead();

/// The most failed checks one conversion gives: the room halvo_convert's caller gives `faults`, three bytes each.
int halvo_max_faults();

/// Checks twelve positions; with no fault writes set.txt's bytes to `bytes` (kSetFileSize of them).
/// Returns the number of failed checks and writes up to `capacity` of them, in order, to `faults`,
/// three bytes each: the kind, the list and the reason.
int halvo_convert(const std::int32_t* positions, std::uint8_t* bytes, std::uint8_t* faults, int capacity);

/// The size of set.txt, for the caller's buffer.
int halvo_file_size();

/// The name the camera reads its settings from.
const char* halvo_file_name();

/// A fault kind's name, as the page keys its messages; empty for an unknown kind.
const char* halvo_fault_name(int fault);

/// A failed check's reason, as the page keys its messages; empty for an unknown reason.
const char* halvo_reason_name(int reason);

/// Positions of the six date and time lists for a clock reading; -1 for a value outside its list.
void halvo_clock_positions(const std::int32_t* clock, std::int32_t* positions);

/// Reads a file with the strict reader. A valid file gives -1 and the twelve positions in `positions`; otherwise
/// the problem's kind, with offset, line and the list of the setting it concerns (0xffffffff for none) in the three
/// of `where`, and its English words (cut to `capacity`) in `message`.
int halvo_read(const std::uint8_t* bytes, std::size_t size, std::int32_t* positions, std::uint32_t* where,
               char* message, std::size_t capacity);

/// A reader problem kind's name, as the page keys its messages; empty for an unknown kind.
const char* halvo_problem_name(int kind);

}  // extern "C"

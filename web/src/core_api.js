// Appended to the compiled module: the C interface in plain JavaScript values,
// so that the page and its tests never touch the module's memory themselves.

// The chosen zone's offset (s east of UTC) at an instant (s), which halvo_zone_offset_at asks for; set by
// clockApi's nextZoneChange for the length of its call.
let zoneOffsetAt = () => 0;

// Runs fn with `size` bytes of the module's memory, freed afterwards.
function withBuffer(size, fn) {
  const pointer = _malloc(Math.max(size, 1));
  if (!pointer) throw new Error('out of memory');
  try {
    return fn(pointer);
  } finally {
    _free(pointer);
  }
}

Module['api'] = function () {
  const listCount = _halvo_list_count();
  const fileSize = _halvo_file_size();
  const messageCapacity = 512;

  function writeInts(pointer, values) {
    HEAP32.set(values, pointer >> 2);
  }

  function readInts(pointer, count) {
    return Array.from(HEAP32.subarray(pointer >> 2, (pointer >> 2) + count));
  }

  // A text of the core's in both languages.
  const bothLanguages = (read) => ({ ja: UTF8ToString(read(0)), en: UTF8ToString(read(1)) });

  const lists = [];
  for (let list = 0; list < listCount; ++list) {
    const values = [];
    const words = [];
    for (let position = 0; position < _halvo_list_size(list); ++position) {
      values.push(_halvo_list_value(list, position));
      const word = bothLanguages((language) => _halvo_entry_word(list, position, language));
      if (word.ja !== '') words.push(word);
    }
    lists.push({
      values: values,
      initial: _halvo_initial_position(list),
      key: UTF8ToString(_halvo_list_key(list)),
      label: bothLanguages((language) => _halvo_list_label(list, language)),
      unit: bothLanguages((language) => _halvo_list_unit(list, language)),
      words: words.length > 0 ? words : null,
    });
  }

  const maxFaults = _halvo_max_faults();

  // Twelve positions → { failed: [{ kind, list (its key), reason }] in order, bytes: set.txt, or null with a fault }.
  function convert(positions) {
    if (positions.length !== listCount) throw new RangeError('expected ' + listCount + ' positions');
    return withBuffer(listCount * 4 + fileSize + 3 * maxFaults, function (pointer) {
      const bytesAt = pointer + listCount * 4;
      const faultsAt = bytesAt + fileSize;
      writeInts(pointer, positions);
      const count = _halvo_convert(pointer, bytesAt, faultsAt, maxFaults);
      const failed = [];
      for (let i = 0; i < count; ++i) {
        const [kind, list, reason] = HEAPU8.subarray(faultsAt + 3 * i, faultsAt + 3 * i + 3);
        failed.push({
          kind: UTF8ToString(_halvo_fault_name(kind)),
          list: lists[list].key,
          reason: UTF8ToString(_halvo_reason_name(reason)),
        });
      }
      return { failed: failed, bytes: count === 0 ? HEAPU8.slice(bytesAt, bytesAt + fileSize) : null };
    });
  }

  return {
    // Per list, in the selection's order: the device value of each entry and the initial position.
    lists: lists,

    // How many date and time lists come first: they show their values, the others their words.
    dateTimeLists: _halvo_date_time_lists(),

    // The most seconds the clock reading may be moved ahead.
    maxLead: _halvo_max_lead(),

    // The lead offered until the owner saves with another.
    defaultLead: _halvo_default_lead(),

    // The texts every front end shows, in both languages: the failure text and what to do with a written file.
    texts: {
      error: UTF8ToString(_halvo_text(0, 0)),
      written: bothLanguages((language) => _halvo_text(1, language)),
    },

    // Twelve positions → { failed: [{ kind, list, reason }] in order, bytes: Uint8Array of set.txt or null }.
    convert: convert,

    // The name the camera reads its settings from, and its size in bytes.
    fileName: UTF8ToString(_halvo_file_name()),
    fileSize: fileSize,

    // A clock reading [year, month, day, hour, minute, second] → the six date and time positions, -1 outside a list.
    clockPositions: function (clock) {
      if (clock.length !== 6) throw new RangeError('expected six clock values');
      return withBuffer(12 * 4, function (pointer) {
        writeInts(pointer, clock);
        _halvo_clock_positions(pointer, pointer + 6 * 4);
        return readInts(pointer + 6 * 4, 6);
      });
    },

    // A file's bytes → { positions: [twelve] } when valid, else { problem: { kind, offset, line, setting, message } }.
    read: function (bytes) {
      const fixed = listCount * 4 + 3 * 4 + messageCapacity;
      return withBuffer(fixed + bytes.length, function (pointer) {
        const whereAt = pointer + listCount * 4;
        const messageAt = whereAt + 3 * 4;
        const bytesAt = messageAt + messageCapacity;
        HEAPU8.set(bytes, bytesAt);
        const kind = _halvo_read(bytesAt, bytes.length, pointer, whereAt, messageAt, messageCapacity);
        if (kind < 0) return { positions: readInts(pointer, listCount) };
        const where = readInts(whereAt, 3);
        const setting = where[2] >>> 0;
        return {
          problem: {
            kind: UTF8ToString(_halvo_problem_name(kind)),
            offset: where[0] >>> 0,
            line: where[1] >>> 0,
            // The setting whose label or value is wrong, by its key; null for a problem between settings.
            setting: setting < listCount ? lists[setting].key : null,
            message: UTF8ToString(messageAt),
          },
        };
      });
    },
  };
};

// The camera's clock (web/src/clock_web.cpp) in plain JavaScript values. A time
// zone's offset at an instant comes from Intl, the browser's zone rules; every
// sum over it is the core's.
Module['clockApi'] = function () {
  const none = -2147483648;
  const formats = new Map();

  // Throws a RangeError for a zone the browser does not know.
  function format(zone) {
    if (!formats.has(zone)) {
      formats.set(zone, new Intl.DateTimeFormat('en-US', {
        timeZone: zone, hourCycle: 'h23', year: 'numeric', month: 'numeric', day: 'numeric',
        hour: 'numeric', minute: 'numeric', second: 'numeric',
      }));
    }
    return formats.get(zone);
  }

  // [year, month, day, hour, minute, second] of an instant (ms) on the zone's clocks.
  function wallClock(zone, ms) {
    const parts = {};
    for (const part of format(zone).formatToParts(new Date(ms))) parts[part.type] = Number(part.value);
    return [parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second];
  }

  // Seconds east of UTC at an instant (s).
  function offsetAt(zone, seconds) {
    const c = wallClock(zone, seconds * 1000);
    return Date.UTC(c[0], c[1] - 1, c[2], c[3], c[4], c[5]) / 1000 - seconds;
  }

  const withInts = (count, fn) => withBuffer(count * 4, fn);
  const withDoubles = (count, fn) => withBuffer(count * 8, fn);

  function knowsZone(zone) {
    try {
      format(zone);
      return true;
    } catch (error) {
      return false;
    }
  }

  return {
    // The most tenths of a second a correction may move the written time either way.
    maxCorrection: _halvo_max_correction(),

    // The bounds (tenths) at which a drift says to set the camera again, and the one offered first.
    minBound: _halvo_min_bound(),
    maxBound: _halvo_max_bound(),
    defaultBound: _halvo_default_bound(),

    // The largest offset a measurement can show either way (tenths).
    maxOffset: _halvo_max_offset(),

    // Whether whole tenths make a correction, or a bound.
    isCorrection: (tenths) => Number.isInteger(tenths) && _halvo_is_correction(tenths) === 1,
    isBound: (tenths) => Number.isInteger(tenths) && _halvo_is_bound(tenths) === 1,

    // An offset (tenths) → { zone: the part a zone or summer time explains, own: the camera's own error }.
    splitOffset: function (offset) {
      return withInts(2, function (pointer) {
        _halvo_split_offset(offset, pointer);
        return { zone: HEAP32[pointer >> 2], own: HEAP32[(pointer >> 2) + 1] };
      });
    },

    // When the frame was filmed (ms), from now (ms) and the reference's tenth of the day on the zone's clocks.
    measuredAt: function (zone, nowMs, referenceTenth) {
      const at = _halvo_measurement_instant(nowMs, offsetAt(zone, Math.floor(nowMs / 1000)), referenceTenth);
      if (Number.isNaN(at)) throw new RangeError('now or reference out of range');
      return at;
    },

    // Where a measurement (ms) stands against the last switch-on (ms): 'before', 'startUp' or 'later'.
    sinceSwitchOn: function (switchOnMs, measuredMs) {
      const standing = _halvo_since_switch_on(switchOnMs, measuredMs);
      if (standing < 0) throw new RangeError('instant out of range');
      return ['before', 'startUp', 'later'][standing];
    },

    // UTC and every zone the browser knows.
    zones: function () {
      const known = typeof Intl.supportedValuesOf === 'function' ? Intl.supportedValuesOf('timeZone') : [];
      return ['UTC'].concat(known.filter((zone) => zone !== 'UTC'));
    },

    // This computer's zone.
    localZone: function () { return Intl.DateTimeFormat().resolvedOptions().timeZone || 'UTC'; },

    knowsZone: knowsZone,
    wallClock: wallClock,

    // The camera's offset in tenths (+ ahead) from its stamp's second of the day and the reference's tenth of the day.
    offset: function (stampSecond, referenceTenth) {
      const offset = _halvo_camera_offset(stampSecond, referenceTenth);
      return offset === none ? null : offset;
    },

    // A clock reading (ms), lead (s) and correction (tenths) → { fileSecond, switchOn } in ms, and whether the
    // correction moved the written second (corrected).
    timeToWrite: function (readingMs, lead, correction) {
      return withDoubles(3, function (pointer) {
        if (!_halvo_time_to_write(readingMs, lead, correction, pointer)) throw new RangeError('reading, lead or correction out of range');
        return {
          fileSecond: HEAPF64[pointer >> 3],
          switchOn: HEAPF64[(pointer >> 3) + 1],
          corrected: HEAPF64[(pointer >> 3) + 2] === 1,
        };
      });
    },

    // The correction (tenths) a measurement offers after a switch-on with a correction, or null.
    startUpCorrection: function (switchOnMs, setCorrection, measuredMs, offset) {
      const correction = _halvo_start_up_correction(switchOnMs, setCorrection, measuredMs, offset);
      return correction === none ? null : correction;
    },

    // Two measurements { at (ms), offset (tenths) } and a bound (tenths) → null, or { msPerDay, boundReached (ms or null) }.
    drift: function (first, last, bound) {
      return withDoubles(2, function (pointer) {
        const found = _halvo_drift(first.at, first.offset, last.at, last.offset, bound, pointer);
        if (!found) return null;
        return { msPerDay: HEAPF64[pointer >> 3], boundReached: found === 2 ? HEAPF64[(pointer >> 3) + 1] : null };
      });
    },

    // The zone's next change of offset within 12 months of an instant (s): null, or
    // { at (s), before, after (s east of UTC), wallClock [year, month, day, hour, minute], forward, hours, minutes }.
    nextZoneChange: function (zone, fromSeconds) {
      format(zone);
      zoneOffsetAt = (seconds) => offsetAt(zone, seconds);
      try {
        return withDoubles(1 + 5, function (pointer) {
          const partsAt = pointer + 8;
          if (!_halvo_next_zone_change(fromSeconds, pointer, partsAt)) return null;
          const p = Array.from(HEAP32.subarray(partsAt >> 2, (partsAt >> 2) + 10));
          return { at: HEAPF64[pointer >> 3], before: p[0], after: p[1], wallClock: p.slice(2, 7), forward: p[7] === 1, hours: p[8], minutes: p[9] };
        });
      } finally {
        zoneOffsetAt = () => 0;
      }
    },
  };
};

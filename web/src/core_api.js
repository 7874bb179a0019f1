// Appended to the compiled module: the C interface in plain JavaScript values,
// so that the page and its tests never touch the module's memory themselves.
Module['api'] = function () {
  const listCount = _halvo_list_count();
  const fileSize = _halvo_file_size();
  const messageCapacity = 512;

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

  function writeInts(pointer, values) {
    HEAP32.set(values, pointer >> 2);
  }

  function readInts(pointer, count) {
    return Array.from(HEAP32.subarray(pointer >> 2, (pointer >> 2) + count));
  }

  const lists = [];
  for (let list = 0; list < listCount; ++list) {
    const values = [];
    for (let position = 0; position < _halvo_list_size(list); ++position) {
      values.push(_halvo_list_value(list, position));
    }
    lists.push({ values: values, initial: _halvo_initial_position(list) });
  }

  return {
    // Per list, in the selection's order: the device value of each entry and the initial position.
    lists: lists,

    // Whether the core takes this day (position) of this month (position).
    dayExists: function (month, day) {
      return _halvo_day_exists(month, day) === 1;
    },

    // Twelve positions → { faults: [names in order], bytes: Uint8Array of set.txt, or null with faults }.
    convert: function (positions) {
      if (positions.length !== listCount) throw new RangeError('expected ' + listCount + ' positions');
      const faultCapacity = 32;
      return withBuffer(listCount * 4 + fileSize + faultCapacity, function (pointer) {
        const bytesAt = pointer + listCount * 4;
        const faultsAt = bytesAt + fileSize;
        writeInts(pointer, positions);
        const count = _halvo_convert(pointer, bytesAt, faultsAt, faultCapacity);
        const faults = [];
        for (let i = 0; i < Math.min(count, faultCapacity); ++i) {
          faults.push(UTF8ToString(_halvo_fault_name(HEAPU8[faultsAt + i])));
        }
        const bytes = count === 0 ? HEAPU8.slice(bytesAt, bytesAt + fileSize) : null;
        return { faults: faults, bytes: bytes };
      });
    },

    // A clock reading [year, month, day, hour, minute, second] → the six date and time positions, -1 outside a list.
    clockPositions: function (clock) {
      if (clock.length !== 6) throw new RangeError('expected six clock values');
      return withBuffer(12 * 4, function (pointer) {
        writeInts(pointer, clock);
        _halvo_clock_positions(pointer, pointer + 6 * 4);
        return readInts(pointer + 6 * 4, 6);
      });
    },

    // A file's bytes → { positions: [twelve] } when sound, else { problem: { kind, offset, line, message } }.
    read: function (bytes) {
      const fixed = listCount * 4 + 2 * 4 + messageCapacity;
      return withBuffer(fixed + bytes.length, function (pointer) {
        const whereAt = pointer + listCount * 4;
        const messageAt = whereAt + 2 * 4;
        const bytesAt = messageAt + messageCapacity;
        HEAPU8.set(bytes, bytesAt);
        const kind = _halvo_read(bytesAt, bytes.length, pointer, whereAt, messageAt, messageCapacity);
        if (kind < 0) return { positions: readInts(pointer, listCount) };
        const where = readInts(whereAt, 2);
        return {
          problem: {
            kind: UTF8ToString(_halvo_problem_name(kind)),
            offset: where[0] >>> 0,
            line: where[1] >>> 0,
            message: UTF8ToString(messageAt),
          },
        };
      });
    },
  };
};

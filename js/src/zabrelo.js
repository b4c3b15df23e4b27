// zabrelo for JavaScript: the library's C interface, compiled to
// WebAssembly, behind a small API in Intl.Collator's habits.
//
// Every text crosses into WebAssembly memory once per call as its UTF-16
// units, exactly as JavaScript holds them (a lone surrogate included), so
// the library reads what it reads from any other caller. One WebAssembly
// instance serves every collator; its memory only grows, so the scratch
// buffers below are kept and reused rather than freed after each call.
import createZabreloCore from '../dist/zabrelo-core.mjs';
import defaultTable from '../dist/default-table.js';

const ZABRELO_OK = 0;
const ZABRELO_BUFFER_TOO_SMALL = 5;
const ZABRELO_SORT_REVERSE = 1;
// zabrelo_open_detail: status and line (int32 each), then three char[1024].
const DETAIL_SIZE = 8 + 3 * 1024;
const DETAIL_MESSAGE = 8 + 1024;
// The module's memory ends at 2 GB, so no block can be larger.
const MAX_BLOCK = 2 ** 31 - 1;

/** A failure the library reports: `status` is its zabrelo_status name. */
export class ZabreloError extends Error {
  constructor(message, status, line = 0) {
    super(message);
    this.name = 'ZabreloError';
    this.status = status;
    this.line = line;
  }
}

const STATUS_NAMES = ['OK', 'INVALID_ARGUMENT', 'CANNOT_OPEN', 'NOT_A_TABLE', 'INVALID_UTF8', 'BUFFER_TOO_SMALL',
  'OUT_OF_MEMORY'];

let corePromise = null;

function core() {
  corePromise ??= createZabreloCore().then((module) => new Core(module));
  return corePromise;
}

// The WebAssembly instance and its reusable buffers. Every write goes
// through module.HEAP* afresh: a malloc may grow the memory and replace
// the views.
class Core {
  constructor(module) {
    this.m = module;
    this.scratch = { pointer: 0, size: 0 };
    this.key = { pointer: 0, size: 0 };
    this.lengthCell = module._malloc(4);
    this.collatorCell = module._malloc(4);
  }

  // A buffer of at least `size` bytes, reused from call to call.
  reserve(buffer, size) {
    if (buffer.size < size) {
      const grown = Math.max(size, Math.min(buffer.size * 2, MAX_BLOCK), 256);
      this.m._free(buffer.pointer);
      buffer.pointer = 0; // empty, should the malloc below fail
      buffer.size = 0;
      buffer.pointer = this.malloc(grown);
      buffer.size = grown;
    }
    return buffer.pointer;
  }

  // Sizes are checked here: the module's malloc takes a 32-bit size, and a
  // larger one would wrap around to a small block that the caller overruns.
  malloc(size) {
    if (!(size <= MAX_BLOCK)) throw new ZabreloError('zabrelo: out of WebAssembly memory', 'OUT_OF_MEMORY');
    const pointer = this.m._malloc(Math.max(size, 1));
    if (pointer === 0) throw new ZabreloError('zabrelo: out of WebAssembly memory', 'OUT_OF_MEMORY');
    return pointer;
  }

  // Opens a table from its bytes; the library reads them as it reads a file.
  open(bytes) {
    const m = this.m;
    const detail = this.malloc(DETAIL_SIZE);
    const copy = this.malloc(bytes.length);
    try {
      m.HEAPU8.set(bytes, copy);
      const status = m._zabrelo_open_memory(copy, bytes.length, this.collatorCell, detail);
      if (status !== ZABRELO_OK) {
        const line = m.HEAP32[(detail + 4) >> 2];
        // The message names the table first ("(memory):7: no weight
        // field"): only what follows is news to the caller.
        const what = readCString(m, detail + DETAIL_MESSAGE).replace(/^\(memory\)(:\d+)?: /, '');
        const where = line > 0 ? ` (line ${line}: ${what})` : what ? ` (${what})` : '';
        throw new ZabreloError(`zabrelo: ${statusMessage(m, status)}${where}`, STATUS_NAMES[status] ?? String(status),
          line);
      }
      return m.HEAPU32[this.collatorCell >> 2];
    } finally {
      m._free(copy);
      m._free(detail);
    }
  }

  // Writes the UTF-16 units of `texts` one after the other from `pointer`.
  writeUnits(texts, pointer) {
    const units = this.m.HEAPU16;
    let at = pointer >> 1;
    for (const text of texts) {
      for (let i = 0; i < text.length; ++i) units[at++] = text.charCodeAt(i);
    }
  }
}

function readCString(m, pointer) {
  const bytes = m.HEAPU8;
  let end = pointer;
  while (bytes[end] !== 0) ++end;
  return new TextDecoder().decode(bytes.subarray(pointer, end));
}

function statusMessage(m, status) {
  return readCString(m, m._zabrelo_status_message(status));
}

function tableBytes(table) {
  if (typeof table === 'string') return new TextEncoder().encode(table);
  if (table instanceof Uint8Array) return table;
  if (table instanceof ArrayBuffer) return new Uint8Array(table);
  if (ArrayBuffer.isView(table)) return new Uint8Array(table.buffer, table.byteOffset, table.byteLength);
  throw new TypeError('zabrelo: a table is its text (a string) or its bytes (Uint8Array or ArrayBuffer)');
}

// Levels are whole numbers; the library makes 0 or less an empty key and
// reads anything above 3 as 3, so only the int32 range needs guarding.
function levelOf(level) {
  if (!Number.isInteger(level)) throw new TypeError(`zabrelo: level must be a whole number, not ${level}`);
  return Math.max(0, Math.min(level, 3));
}

const closer = typeof FinalizationRegistry === 'function'
  ? new FinalizationRegistry(({ core: c, collator }) => c.m._zabrelo_close(collator))
  : null;

/** A loaded weight table. */
export class Collator {
  #core;
  #collator;

  constructor(coreInstance, collator) {
    this.#core = coreInstance;
    this.#collator = collator;
    closer?.register(this, { core: coreInstance, collator }, this);
  }

  #handle() {
    if (this.#collator === 0) throw new ZabreloError('zabrelo: the collator is closed', 'INVALID_ARGUMENT');
    return this.#collator;
  }

  /** The sort key of `text` at `level`: byte for byte the library's key. */
  sortKey(text, level = 3) {
    const collator = this.#handle();
    const c = this.#core;
    const m = c.m;
    text = String(text);
    level = levelOf(level);
    const textPointer = c.reserve(c.scratch, text.length * 2);
    c.writeUnits([text], textPointer);
    let capacity = Math.max(c.key.size, 64);
    for (;;) {
      const keyPointer = c.reserve(c.key, capacity);
      const status = m._zabrelo_key16(collator, textPointer, text.length, level, keyPointer, c.key.size,
        c.lengthCell);
      const length = m.HEAPU32[c.lengthCell >> 2];
      if (status === ZABRELO_OK) return m.HEAPU8.slice(keyPointer, keyPointer + length);
      if (status !== ZABRELO_BUFFER_TOO_SMALL) {
        throw new ZabreloError(`zabrelo: ${statusMessage(m, status)}`, STATUS_NAMES[status] ?? String(status));
      }
      capacity = length;
    }
  }

  /** -1, 0 or 1 as the keys of `a` and `b` at `level` order; 0 for equal keys. */
  compare(a, b, level = 3) {
    const collator = this.#handle();
    const c = this.#core;
    a = String(a);
    b = String(b);
    level = levelOf(level);
    const pointer = c.reserve(c.scratch, (a.length + b.length) * 2);
    c.writeUnits([a, b], pointer);
    const second = pointer + a.length * 2;
    // The library's comparison gives -1 to the shorter of two texts with
    // equal keys; asked with the longer text first it gives 0 then, and
    // the key order alone is what a sort needs: symmetric and consistent.
    if (a.length >= b.length) return this.#compare16(collator, pointer, a.length, second, b.length, level);
    return -this.#compare16(collator, second, b.length, pointer, a.length, level) || 0;
  }

  #compare16(collator, a, aLength, b, bLength, level) {
    const result = this.#core.m._zabrelo_compare16(collator, a, aLength, b, bLength, level);
    if (result < -1) throw new ZabreloError('zabrelo: the comparison failed', 'INVALID_ARGUMENT');
    return result;
  }

  /** `compare` at a fixed level, for Array.prototype.sort and the like. */
  compareFn(level = 3) {
    levelOf(level);
    return (a, b) => this.compare(a, b, level);
  }

  /**
   * A new array of the elements of `array` in key order at `level`
   * (descending with `reverse`); stable: equal keys keep their input order
   * in both directions. Each text is keyed once, and the sort runs inside
   * WebAssembly.
   */
  sort(array, { level = 3, reverse = false } = {}) {
    const collator = this.#handle();
    const c = this.#core;
    const m = c.m;
    level = levelOf(level);
    const items = Array.isArray(array) ? array : Array.from(array);
    const count = items.length;
    let texts = items;
    if (!items.every((item) => typeof item === 'string')) texts = items.map((item) => String(item));
    let units = 0;
    for (let i = 0; i < count; ++i) units += texts[i].length;
    // One block: the units, then each text's address, its length and the
    // order the library writes, four bytes each.
    const unitBytes = Math.ceil(units / 2) * 4;
    const block = c.malloc(unitBytes + count * 12);
    try {
      const addresses = block + unitBytes;
      const lengths = addresses + count * 4;
      const order = lengths + count * 4;
      const heap16 = m.HEAPU16;
      const words = m.HEAPU32;
      let at = block >> 1;
      for (let i = 0, a = addresses >> 2, l = lengths >> 2; i < count; ++i) {
        const text = texts[i];
        words[a + i] = at * 2;
        words[l + i] = text.length;
        for (let k = 0; k < text.length; ++k) heap16[at++] = text.charCodeAt(k);
      }
      const status = m._zabrelo_sort16(collator, addresses, lengths, count, level,
        reverse ? ZABRELO_SORT_REVERSE : 0, 1, order);
      if (status !== ZABRELO_OK) {
        throw new ZabreloError(`zabrelo: ${statusMessage(m, status)}`, STATUS_NAMES[status] ?? String(status));
      }
      const positions = m.HEAPU32.subarray(order >> 2, (order >> 2) + count);
      const sorted = new Array(count);
      for (let i = 0; i < count; ++i) sorted[i] = items[positions[i]];
      return sorted;
    } finally {
      m._free(block);
    }
  }

  /** Frees the table now rather than when the collator is collected. */
  close() {
    if (this.#collator === 0) return;
    closer?.unregister(this);
    this.#core.m._zabrelo_close(this.#collator);
    this.#collator = 0;
  }
}

/**
 * Loads a weight table: the bundled default, or `table`, a table's text or
 * bytes. Rejects with a ZabreloError (status 'NOT_A_TABLE', with the line
 * where reading stopped) when it is no table.
 */
export async function load({ table } = {}) {
  const c = await core();
  return new Collator(c, c.open(tableBytes(table ?? defaultTable)));
}

/** The library's version, "major.minor.patch". */
export async function version() {
  const c = await core();
  return readCString(c.m, c.m._zabrelo_version());
}

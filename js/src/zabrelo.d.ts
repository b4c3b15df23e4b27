/** The collation levels: 1 letters, 2 and their diacritics, 3 and the letters' forms. */
export type Level = number;

/** A failure the library reports. */
export class ZabreloError extends Error {
  readonly name: 'ZabreloError';
  /** The library's status: 'NOT_A_TABLE', 'OUT_OF_MEMORY', 'INVALID_ARGUMENT', ... */
  readonly status: string;
  /** For 'NOT_A_TABLE', the table's line where reading stopped (1-based); else 0. */
  readonly line: number;
}

export interface SortOptions {
  /** Levels to compare, 1 to 3 (default 3). */
  level?: Level;
  /** Descending key order; equal keys still keep their input order (default false). */
  reverse?: boolean;
}

/** A loaded weight table. Texts are read as their UTF-16 units, lone surrogates included. */
export class Collator {
  private constructor();
  /**
   * The sort key of `text` at `level` (default 3): byte for byte the key the
   * C library and the `zabrelo key` command give. Comparing keys byte by
   * byte, a shorter key first when one starts the other, orders the texts.
   * Level 0 or less gives an empty key; above 3 counts as 3.
   */
  sortKey(text: string, level?: Level): Uint8Array;
  /** -1, 0 or 1 as the keys of `a` and `b` at `level` (default 3) order; 0 exactly when the keys are equal. */
  compare(a: string, b: string, level?: Level): -1 | 0 | 1;
  /** `compare` at `level` (default 3), for Array.prototype.sort and the like. */
  compareFn(level?: Level): (a: string, b: string) => -1 | 0 | 1;
  /**
   * A new array of the elements in key order; stable (equal keys keep their
   * input order in both directions), the order of `zabrelo sort -s`. Each
   * text is keyed once and the sort runs inside WebAssembly. Elements that
   * are not strings are sorted by String(element) and returned as they are.
   */
  sort<T>(array: Iterable<T> | ArrayLike<T>, options?: SortOptions): T[];
  /** Frees the table at once instead of when the collator is garbage-collected; the collator is then unusable. */
  close(): void;
}

export interface LoadOptions {
  /**
   * A weight table's text, or its bytes as they are in the file. Without
   * it, the bundled default table (UrduCOdepage.txt).
   */
  table?: string | Uint8Array | ArrayBuffer | ArrayBufferView;
}

/** Loads a weight table; rejects with a ZabreloError (status 'NOT_A_TABLE') when it is none. */
export function load(options?: LoadOptions): Promise<Collator>;

/** The library's version, "major.minor.patch". */
export function version(): Promise<string>;

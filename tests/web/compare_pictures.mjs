// Compares the pictures two runs wrote (PNG, 8 bits a channel), file by file.
//
//   node compare_pictures.mjs HEADLESS_DIR BROWSER_DIR NAME.png...
//
// Each pair must have the same size and the same colour in every pixel (the
// page's alpha, always opaque, is left out). Prints each picture that
// differs with how many pixels and the first of them; exit code 1 then.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { inflateSync } from 'node:zlib';

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// { width, height, rgb } of an 8-bit RGB or RGBA PNG, not interlaced.
export function decodePng(path) {
  const data = readFileSync(path);
  if (data.toString('latin1', 1, 4) !== 'PNG') throw new Error(`${path}: not a PNG`);
  let pos = 8, header = null;
  const idat = [];
  while (pos + 8 <= data.length) {
    const length = data.readUInt32BE(pos), kind = data.toString('latin1', pos + 4, pos + 8);
    const body = data.subarray(pos + 8, pos + 8 + length);
    if (kind === 'IHDR') header = body;
    else if (kind === 'IDAT') idat.push(body);
    pos += 12 + length;
  }
  if (!header) throw new Error(`${path}: no header`);
  const width = header.readUInt32BE(0), height = header.readUInt32BE(4);
  const [depth, colour, , , interlace] = header.subarray(8, 13);
  if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace)
    throw new Error(`${path}: only 8-bit RGB or RGBA, not interlaced`);
  const n = colour === 2 ? 3 : 4, stride = width * n;
  const raw = inflateSync(Buffer.concat(idat));
  if (raw.length < height * (stride + 1)) throw new Error(`${path}: its pixels are cut short`);
  const rgb = Buffer.alloc(width * height * 3);
  let prior = new Uint8Array(stride), line = new Uint8Array(stride);
  for (let y = 0; y < height; ++y) {
    const kind = raw[y * (stride + 1)], from = y * (stride + 1) + 1;
    if (kind > 4) throw new Error(`${path}: row ${y} has filter ${kind}`);
    for (let i = 0; i < stride; ++i) {
      const a = i >= n ? line[i - n] : 0, b = prior[i], c = i >= n ? prior[i - n] : 0;
      const add = kind === 0 ? 0 : kind === 1 ? a : kind === 2 ? b : kind === 3 ? (a + b) >> 1 : paeth(a, b, c);
      line[i] = (raw[from + i] + add) & 0xFF;
    }
    for (let x = 0; x < width; ++x)
      for (let k = 0; k < 3; ++k) rgb[(y * width + x) * 3 + k] = line[x * n + k];
    [prior, line] = [line, prior];
  }
  return { width, height, rgb };
}

function main() {
  const [first, second, ...names] = process.argv.slice(2);
  if (!first || !second || !names.length) {
    console.error('usage: node compare_pictures.mjs HEADLESS_DIR BROWSER_DIR NAME.png...');
    process.exit(2);
  }
  let bad = 0;
  for (const name of names) {
    const a = decodePng(join(first, name)), b = decodePng(join(second, name));
    if (a.width !== b.width || a.height !== b.height) {
      console.log(`${name}: headless ${a.width}x${a.height}, browser ${b.width}x${b.height}`);
      ++bad;
      continue;
    }
    let differ = 0, at = -1;
    for (let i = 0; i < a.rgb.length; i += 3) {
      if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) {
        if (at < 0) at = i / 3;
        ++differ;
      }
    }
    if (differ) {
      const hex = (p) => p.rgb.subarray(at * 3, at * 3 + 3).toString('hex');
      console.log(`${name}: ${differ} pixels differ, the first at (${at % a.width}, ` +
        `${Math.floor(at / a.width)}): headless ${hex(a)}, browser ${hex(b)}`);
      ++bad;
    } else {
      console.log(`${name}: the same ${a.width}x${a.height} pixels`);
    }
  }
  process.exit(bad ? 1 : 0);
}

if (process.argv[1] && process.argv[1].endsWith('compare_pictures.mjs')) main();

// The player's own game folder, however the browser can give it: a folder
// chosen with the folder picker, a folder (or files, or a .zip of the
// folder) dropped on the page, files chosen with a plain file picker, or a
// .zip of the folder chosen so. Each way ends as one list of files with
// their paths inside the game's folder ("CG/BG01.BMP"); the page writes
// them into the game's files. Everything is read in the page.
'use strict';

window.velmorFiles = (() => {
  // What a .zip may hold before it is refused: a game's data is tens of
  // megabytes; a hostile archive must not take the tab's memory.
  const kMaxZipFiles = 20000;
  const kMaxZipBytes = 1024 * 1024 * 1024;
  // Without their folders, files are placed by kind, as the game looks for
  // them: scenarios in SNX, sounds in SOUND, cursors in CURSOR, every other
  // picture in CG.
  const { tr, fill } = window.velmorTexts;
  const flatNote = () => tr('Files placed by kind (SNX, CG, CURSOR, SOUND); for the SC-88 music choose the folder or a .zip of it.');

  function placeFlat(name) {
    const upper = name.toUpperCase();
    if (upper.endsWith('.SNX') || upper.endsWith('.S')) return 'SNX/' + name;
    if (upper.endsWith('.WAV') || upper.endsWith('.MID')) return 'SOUND/' + name;
    if (upper.endsWith('.BMP') && upper.startsWith('CSR')) return 'CURSOR/' + name;
    if (upper.endsWith('.BMP')) return 'CG/' + name;
    return name;
  }

  // A path that would leave the game's folder is not taken.
  function clean(path) {
    const parts = path.replace(/\\/g, '/').split('/').filter((p) => p && p !== '.');
    if (parts.some((p) => p === '..')) return null;
    return parts.join('/');
  }

  // The folder the player chose (or the archive's one top folder) is not
  // part of the game's paths.
  function dropCommonTop(entries) {
    const tops = new Set(entries.map((e) => e.path.split('/')[0]));
    if (tops.size !== 1 || entries.some((e) => !e.path.includes('/'))) return entries;
    return entries.map((e) => ({ ...e, path: e.path.substring(e.path.indexOf('/') + 1) }));
  }

  const fromFile = (file, path) => ({ path, read: async () => new Uint8Array(await file.arrayBuffer()) });

  // --- .zip ------------------------------------------------------------
  function zipFault(why) { return new Error(fill(tr('This .zip cannot be read: %s'), why)); }

  function endOfDirectory(view) {
    for (let at = view.byteLength - 22; at >= Math.max(0, view.byteLength - 65557); --at) {
      if (view.getUint32(at, true) === 0x06054b50) return at;
    }
    throw zipFault(tr('no central directory (not a .zip, or cut short)'));
  }

  async function inflate(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  function zipName(bytes, utf8) {
    try { return new TextDecoder(utf8 ? 'utf-8' : 'shift_jis', { fatal: true }).decode(bytes); }
    catch { return new TextDecoder('latin1').decode(bytes); }
  }

  function zipEntry(buffer, view, at) {
    if (view.getUint32(at, true) !== 0x02014b50) throw zipFault(tr('a damaged directory entry'));
    const flags = view.getUint16(at + 8, true);
    const method = view.getUint16(at + 10, true);
    const packed = view.getUint32(at + 20, true);
    const size = view.getUint32(at + 24, true);
    const nameLength = view.getUint16(at + 28, true);
    const next = at + 46 + nameLength + view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
    const local = view.getUint32(at + 42, true);
    const name = zipName(new Uint8Array(buffer, at + 46, nameLength), flags & 0x800);
    if (packed === 0xffffffff || size === 0xffffffff || local === 0xffffffff) throw zipFault(tr('a ZIP64 archive'));
    if (flags & 1) throw zipFault(fill(tr('%s is encrypted'), name));
    if (method !== 0 && method !== 8) throw zipFault(fill(tr('%s is packed in a way this page cannot unpack'), name));
    if (local + 30 > buffer.byteLength || view.getUint32(local, true) !== 0x04034b50) throw zipFault(fill(tr('%s is not where the directory says'), name));
    const start = local + 30 + view.getUint16(local + 26, true) + view.getUint16(local + 28, true);
    if (start + packed > buffer.byteLength) throw zipFault(fill(tr('%s is cut short'), name));
    const data = new Uint8Array(buffer, start, packed);
    return { next, name, size, entry: name.endsWith('/') ? null : { path: name, read: async () => {
      const out = method === 0 ? data.slice() : await inflate(data);
      if (out.length !== size) throw zipFault(fill(tr('%s unpacks to another size than it says'), name));
      return out;
    } } };
  }

  async function fromZip(file) {
    const buffer = await file.arrayBuffer();
    const view = new DataView(buffer);
    const end = endOfDirectory(view);
    const count = view.getUint16(end + 10, true);
    if (count > kMaxZipFiles) throw zipFault(fill(tr('%s files (at most %s)'), count, kMaxZipFiles));
    let at = view.getUint32(end + 16, true);
    let total = 0;
    const entries = [];
    for (let i = 0; i < count; ++i) {
      if (at + 46 > buffer.byteLength) throw zipFault(tr('the directory is cut short'));
      const e = zipEntry(buffer, view, at);
      total += e.size;
      if (total > kMaxZipBytes) throw zipFault(tr('it unpacks to more than 1 GiB'));
      if (e.entry) entries.push(e.entry);
      at = e.next;
    }
    return entries;
  }

  // --- Dropped folders -----------------------------------------------------
  function readAll(reader) {
    return new Promise((resolve, reject) => {
      const all = [];
      const more = () => reader.readEntries((batch) => {
        if (!batch.length) { resolve(all); return; }
        all.push(...batch);
        more();
      }, reject);
      more();
    });
  }

  async function walk(entry, into) {
    if (entry.isFile) {
      const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
      into.push(fromFile(file, entry.fullPath.replace(/^\//, '')));
      return;
    }
    for (const child of await readAll(entry.createReader())) await walk(child, into);
  }

  // The game's files as [{ path, read }], and a line for the player when
  // they were placed by kind.
  async function gather(files, entries) {
    if (files.length === 1 && /\.zip$/i.test(files[0].name)) {
      return { entries: dropCommonTop(await fromZip(files[0])), note: '' };
    }
    if (entries) return { entries: dropCommonTop(entries), note: '' };
    const foldered = files.some((f) => f.webkitRelativePath);
    const list = files.map((f) => fromFile(f, foldered ? f.webkitRelativePath : placeFlat(f.name)));
    return { entries: foldered ? dropCommonTop(list) : list, note: foldered ? '' : flatNote() };
  }

  function finish(result) {
    const entries = [];
    for (const e of result.entries) {
      const path = clean(e.path);
      if (path) entries.push({ ...e, path });
    }
    return { entries, note: result.note };
  }

  return {
    // Whether this browser's file picker can choose a folder.
    canPickFolders: () => 'webkitdirectory' in document.createElement('input') &&
      !/iPhone|iPad|Android/.test(navigator.userAgent),
    async fromPicked(files) { return finish(await gather(files, null)); },
    async fromDrop(dataTransfer) {
      const items = Array.from(dataTransfer.items || []).filter((i) => i.kind === 'file');
      const roots = items.map((i) => i.webkitGetAsEntry && i.webkitGetAsEntry()).filter(Boolean);
      const files = Array.from(dataTransfer.files || []);
      if (!roots.some((r) => r.isDirectory)) return finish(await gather(files, null));
      const entries = [];
      for (const root of roots) await walk(root, entries);
      return finish(await gather([], entries));
    },
  };
})();

// The page around the game: it gives the game its files (the demo, the
// font, the player's own game folder), keeps the player's storage (slots,
// settings, read text) in the browser's IndexedDB, scales the canvas to the
// page, and says in one line what the game needs from the player. Nothing is
// uploaded anywhere: every file is read in the page.
//
// index.html?test: the game stands still until a test steps it (see
// tests/web/drive.mjs); its storage is the page's memory only.
'use strict';

(() => {
  const params = new URLSearchParams(location.search);
  const testMode = params.has('test');
  const HOME = '/velmor/home';
  const OWN = '/velmor/own';
  const line = document.getElementById('line');
  let canvas = document.getElementById('canvas');
  let game = null;         // the running module
  let syncing = false;     // a write to IndexedDB under way
  let syncAgain = false;
  let failed = false;      // the line says why the game could not start

  function say(text) { line.textContent = text; }

  // --- The canvas: the largest 4:3 the page leaves it --------------------
  function fit() {
    if (testMode) return;
    const stage = document.getElementById('stage');
    const scale = Math.min(stage.clientWidth / 1024, stage.clientHeight / 768);
    canvas.style.width = Math.floor(1024 * scale) + 'px';
    canvas.style.height = Math.floor(768 * scale) + 'px';
  }
  window.addEventListener('resize', fit);

  // --- The player's storage ---------------------------------------------
  // IDBFS keeps each file as one IndexedDB record written in one
  // transaction: a tab closed while it writes leaves the old slot or the new
  // one, never half of one. The game writes its slots whole (a temporary
  // file renamed), and the page copies what changed after each second.
  function mkdirs(FS, path) {
    let at = '';
    for (const part of path.split('/').filter(Boolean)) {
      at += '/' + part;
      try { FS.mkdir(at); } catch (e) { /* there already */ }
    }
  }

  function persist(M) {
    if (testMode || !M) return;
    if (syncing) { syncAgain = true; return; }
    syncing = true;
    M.FS.syncfs(false, (err) => {
      syncing = false;
      if (err) say('保存できません: ブラウザの保存領域が使えないか一杯です。 Cannot store saves: the browser refused its storage (' + err + ').');
      if (syncAgain) { syncAgain = false; persist(M); }
    });
  }

  function mountStorage(M) {
    mkdirs(M.FS, HOME);
    if (testMode) return;
    M.FS.mount(M.FS.filesystems.IDBFS, {}, HOME);
    M.addRunDependency('storage');
    M.FS.syncfs(true, (err) => {
      if (err) say('保存したデータを読めません。 The saved data cannot be read (' + err + ').');
      mkdirs(M.FS, HOME + '/saves');
      M.removeRunDependency('storage');
    });
  }

  // --- The player's own game folder -------------------------------------
  // Names keep the letter case they came with; the game finds its files
  // whatever their case.
  async function writeOwnFiles(M, files) {
    for (const f of files) {
      const rel = (f.webkitRelativePath || f.name).split('/');
      if (rel.length > 1) rel.shift();  // the folder the player chose
      const path = OWN + '/' + rel.join('/');
      mkdirs(M.FS, path.substring(0, path.lastIndexOf('/')));
      M.FS.writeFile(path, new Uint8Array(await f.arrayBuffer()));
    }
  }

  // --- Starting a game --------------------------------------------------
  function freshCanvas() {
    const old = canvas;
    canvas = old.cloneNode(false);
    canvas.oncontextmenu = (e) => e.preventDefault();
    old.replaceWith(canvas);
    fit();
  }

  function start(ownFiles) {
    const args = testMode ? ['--test'] : [];
    if (ownFiles) args.push('--data', OWN);
    const cfg = {
      canvas,
      arguments: args,
      preRun: [() => {
        mountStorage(cfg);
        if (ownFiles) {
          cfg.addRunDependency('own-files');
          writeOwnFiles(cfg, ownFiles).then(() => cfg.removeRunDependency('own-files'),
            (e) => { say('フォルダを読めません。 The folder cannot be read: ' + e); });
        }
      }],
      print: (t) => console.log(t),
      printErr: (t) => { console.warn(t); if (!failed && t.startsWith('velmor: ')) say(t.substring(8)); },
      onFailure: (why) => { failed = true; say(why); window.velmorFailed = why; },
      onTextInput: placeText,
      onGameStarted: () => {
        say(testMode ? 'test' : 'クリックで音が出ます。 Click or press a key to start the sound.');
        window.velmorReady = true;
        // When the first frame is on the screen (for bench/web_budgets.mjs).
        requestAnimationFrame(() => {
          window.velmorFirstFrameMs = performance.now();
          // MIDI's synthesiser and SoundFont come after the first picture.
          if (!testMode && window.velmorMidi) velmorMidi.allow();
        });
      },
      onGameEnded: () => {
        persist(cfg);
        if (!failed) say('ゲームは終わりました。 The game has ended.');
      },
    };
    return createVelmor(cfg).then((M) => {
      game = M;
      window.velmor = testApi(M);
      if (!testMode) runLoop(M);
      return M;
    });
  }

  // The game's loop: a pass as late as the game allows (at a click wait its
  // ticks rest), at once after anything the player does, none while the
  // tab is hidden. The pass after an event runs after SDL has queued it.
  function runLoop(M) {
    let timer = 0;
    let stopped = false;
    const pass = () => {
      clearTimeout(timer);
      timer = 0;
      if (stopped || document.hidden || M !== game) return;
      const wait = M._velmor_pass();
      if (wait < 0) { stopped = true; return; }
      timer = setTimeout(pass, wait);
    };
    const soon = () => { if (!stopped) { clearTimeout(timer); timer = setTimeout(pass, 0); } };
    M.soon = soon;
    for (const type of ['pointerdown', 'pointerup', 'pointermove', 'keydown', 'keyup', 'wheel',
                        'touchstart', 'touchend', 'touchmove', 'compositionend', 'resize']) {
      window.addEventListener(type, soon, { passive: true });
    }
    document.addEventListener('visibilitychange', soon);
    pass();
  }

  // What a test calls (tests/web/drive.mjs).
  function testApi(M) {
    return {
      tick: M.cwrap('velmor_tick', null, ['number']),
      frame: M.cwrap('velmor_frame', null, []),
      until: M.cwrap('velmor_until', null, ['string', 'number']),
      state: M.cwrap('velmor_state', 'string', []),
      controlRect: M.cwrap('velmor_control_rect', 'string', ['string']),
      openBoxes: M.cwrap('velmor_open_boxes', 'number', []),
      ticks: M.cwrap('velmor_ticks', 'number', []),
      ended: M.cwrap('velmor_ended', 'number', []),
    };
  }

  // --- The name fields' text ----------------------------------------------
  // While a name field wants text, the page's own text field lies over it
  // and has the focus: what the input method composes and commits, what a
  // phone's keyboard types, and the editing keys go to the game from it
  // (and not to SDL's keys, which would type it twice).
  const ime = document.getElementById('ime');
  let imeOn = false;
  function placeText(on, left, top, width, height) {
    imeOn = !!on;
    ime.classList.toggle('on', imeOn);
    if (!imeOn) { ime.blur(); canvas.focus(); return; }
    const scale = canvas.getBoundingClientRect().width / 1024;
    const stage = document.getElementById('stage').getBoundingClientRect();
    const box = canvas.getBoundingClientRect();
    ime.style.left = (box.left - stage.left + left * scale) + 'px';
    ime.style.top = (box.top - stage.top + top * scale) + 'px';
    ime.style.width = Math.max(width * scale, 40) + 'px';
    ime.style.height = Math.max(height * scale, 16) + 'px';
    ime.value = '';
    ime.focus();
  }
  const editKeys = new Set(['Enter', 'Backspace', 'Delete', 'Escape', 'Tab', 'ArrowLeft',
    'ArrowRight', 'ArrowUp', 'ArrowDown', 'Home', 'End']);
  function toGame(fn) { if (game) { fn(game); game.soon && game.soon(); } }
  ime.addEventListener('keydown', (e) => {
    e.stopPropagation();
    if (e.isComposing || e.keyCode === 229 || !editKeys.has(e.key)) return;
    e.preventDefault();
    toGame((M) => M.ccall('velmor_edit_key', null, ['string', 'number'], [e.key, e.shiftKey ? 1 : 0]));
  });
  ime.addEventListener('keyup', (e) => e.stopPropagation());
  ime.addEventListener('keypress', (e) => e.stopPropagation());
  ime.addEventListener('compositionupdate', (e) => {
    toGame((M) => M.ccall('velmor_composition', null, ['string', 'number'], [e.data, [...e.data].length]));
  });
  ime.addEventListener('compositionend', (e) => {
    toGame((M) => {
      M.ccall('velmor_composition', null, ['string', 'number'], ['', 0]);
      if (e.data) M.ccall('velmor_text', null, ['string'], [e.data]);
    });
    ime.value = '';
  });
  ime.addEventListener('input', (e) => {
    if (e.isComposing) return;
    if (e.inputType === 'insertText' && e.data) toGame((M) => M.ccall('velmor_text', null, ['string'], [e.data]));
    if (e.inputType !== 'insertCompositionText') ime.value = '';
  });

  // --- The bar's buttons ------------------------------------------------
  function slotNames() {
    const names = [];
    for (let n = 0; n <= 6; ++n) names.push('DATA0' + n);
    names.push('DATAFF');
    return names;
  }

  function exportSaves() {
    if (!game) return;
    let found = 0;
    for (const name of slotNames()) {
      let bytes;
      try { bytes = game.FS.readFile(HOME + '/saves/' + name); } catch (e) { continue; }
      const a = document.createElement('a');
      a.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
      a.download = name;
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
      ++found;
    }
    say(found ? found + ' 個のセーブを書き出しました。 ' + found + ' slot files exported.'
              : 'セーブはまだありません。 There are no saves yet.');
  }

  async function importSaves(files) {
    if (!game) return;
    const wanted = new Set(slotNames());
    let taken = 0;
    const refused = [];
    for (const f of files) {
      const name = f.name.toUpperCase();
      if (!wanted.has(name) || f.size !== 1088) { refused.push(f.name); continue; }
      // Whole, then renamed: the game never sees half a slot.
      const tmp = HOME + '/saves/.' + name + '.importing';
      game.FS.writeFile(tmp, new Uint8Array(await f.arrayBuffer()));
      game.FS.rename(tmp, HOME + '/saves/' + name);
      ++taken;
    }
    persist(game);
    say(taken + ' 個のセーブを読み込みました。 ' + taken + ' slot files imported.' +
        (refused.length ? ' Not slot files (DATA00…DATAFF, 1,088 bytes): ' + refused.join(', ') : ''));
  }

  document.getElementById('own').onclick = () => document.getElementById('own-files').click();
  document.getElementById('own-files').onchange = (e) => {
    const files = Array.from(e.target.files);
    if (!files.length) return;
    game = null;  // its loop stops at its next pass
    failed = false;
    window.velmorReady = false;
    window.velmorFailed = undefined;
    freshCanvas();
    say('読み込み中… Reading your folder…');
    start(files);
  };
  document.getElementById('export').onclick = exportSaves;
  document.getElementById('import').onclick = () => document.getElementById('import-files').click();
  document.getElementById('import-files').onchange = (e) => importSaves(Array.from(e.target.files));
  document.getElementById('full').onclick = () => {
    (document.getElementById('stage').requestFullscreen || (() => {})).call(document.getElementById('stage'));
  };
  document.addEventListener('visibilitychange', () => { if (document.hidden) persist(game); });
  window.addEventListener('pagehide', () => persist(game));
  setInterval(() => persist(game), 1000);

  // Browsers start a page's sound only after a gesture (SDL resumes it on
  // the first one): until then the line says so.
  const gestured = () => {
    if (line.textContent.startsWith('クリックで音が出ます')) say('');
    window.removeEventListener('pointerdown', gestured);
    window.removeEventListener('keydown', gestured);
  };
  window.addEventListener('pointerdown', gestured);
  window.addEventListener('keydown', gestured);

  if (window.velmorMidi) velmorMidi.onProblem = say;
  if (testMode) document.body.classList.add('test');
  fit();
  start(null);
})();

// MIDI for the game in the page: the desktop's synthesiser (FluidSynth 2.3,
// compiled for the browser: libfluidsynth.js, from npm's js-synthesizer
// package) with the desktop's SoundFont (TimGM6mb.sf2), rendered into the
// game's own sound output as the desktop renders it. The game asks for the
// synthesiser while it starts (src/platform/web/midi_synth_web.cpp); the
// library and the SoundFont are fetched only once the first picture is on
// the screen (allow()), so they never delay it, and a piece that wants them
// earlier waits, as on the desktop while the SoundFont loads.
//
// Everything runs on the page's own thread: the game's sound output calls
// render() from its audio callback.
'use strict';

window.velmorMidi = (() => {
  const { tr, fill } = window.velmorTexts;
  const LIBRARY = 'libfluidsynth.js';
  const SOUNDFONT = 'TimGM6mb.sf2';
  const kMaxLogLines = 20;       // the library's messages, bounded
  const FLUID_PLAYER_DONE = 2;

  let state = 'idle';            // idle, wanted, loading, ready, failed
  let why = '';
  let wanted = null;             // { rate, polyphony, gain }
  let allowed = false;
  let F = null;                  // the library's module
  let fn = null;                 // its functions
  let synth = 0;
  let player = 0;
  let piece = null;              // the file: each start builds its player anew
  let sounding = false;
  let buffer = 0;
  let bufferFrames = 0;
  let logLines = 0;
  // What the page has rendered, for tests and for the player's curiosity.
  const stats = { frames: 0, peak: 0 };

  function log(text) {
    if (logLines < kMaxLogLines) console.warn('velmor: MIDI: ' + text);
    else if (logLines === kMaxLogLines) console.warn('velmor: MIDI: further messages left out');
    ++logLines;
  }

  function fail(text) {
    state = 'failed';
    why = text;
    log(text);
    if (api.onProblem) api.onProblem(fill(tr('MIDI music cannot sound: %s'), text));
  }

  // The library's own global Module is a fresh object: the game's module
  // is another (createVelmor), so the two never meet.
  function loadLibrary() {
    return new Promise((resolve, reject) => {
      window.Module = {
        print: log,
        printErr: log,
        onRuntimeInitialized: () => resolve(window.Module),
        onAbort: (what) => reject(new Error(fill(tr('the synthesiser stopped: %s'), what))),
      };
      const script = document.createElement('script');
      script.src = LIBRARY;
      script.onerror = () => reject(new Error(fill(tr('the page has no MIDI synthesiser (%s)'), LIBRARY)));
      document.head.appendChild(script);
    });
  }

  function bind(M) {
    const c = (name, ret, args) => M.cwrap(name, ret, args);
    return {
      setnum: c('fluid_settings_setnum', 'number', ['number', 'string', 'number']),
      setint: c('fluid_settings_setint', 'number', ['number', 'string', 'number']),
      sfload: c('fluid_synth_sfload', 'number', ['number', 'string', 'number']),
    };
  }

  async function fetchSoundFont() {
    const answer = await fetch(SOUNDFONT);
    if (!answer.ok) throw new Error(fill(tr('no SoundFont (%s: %s)'), SOUNDFONT, answer.status));
    return new Uint8Array(await answer.arrayBuffer());
  }

  // The same settings as the desktop's synthesiser.
  function build(M, soundfont) {
    const settings = M._new_fluid_settings();
    fn.setnum(settings, 'synth.sample-rate', wanted.rate);
    fn.setint(settings, 'synth.polyphony', wanted.polyphony);
    fn.setint(settings, 'synth.dynamic-sample-loading', 1);
    fn.setnum(settings, 'synth.gain', wanted.gain);
    synth = M._new_fluid_synth(settings);
    if (!synth) throw new Error(tr('cannot start the MIDI synthesiser'));
    M.FS.writeFile('/' + SOUNDFONT, soundfont);
    if (fn.sfload(synth, '/' + SOUNDFONT, 1) < 0) throw new Error(fill(tr('cannot load the SoundFont %s'), SOUNDFONT));
  }

  async function load() {
    state = 'loading';
    try {
      const [M, soundfont] = await Promise.all([loadLibrary(), fetchSoundFont()]);
      F = M;
      fn = bind(M);
      build(M, soundfont);
      state = 'ready';
    } catch (e) {
      fail(e.message || String(e));
    }
  }

  function deletePlayer() {
    sounding = false;
    if (!player) return;
    F._fluid_player_stop(player);
    F._delete_fluid_player(player);
    player = 0;
    F._fluid_synth_all_sounds_off(synth, -1);
  }

  function newPlayer() {
    player = F._new_fluid_player(synth);
    if (!player) return false;
    const at = F._malloc(piece.length);
    F.HEAPU8.set(piece, at);
    const taken = F._fluid_player_add_mem(player, at, piece.length) === 0;  // the player copies it
    F._free(at);
    if (!taken) { F._delete_fluid_player(player); player = 0; }
    return taken;
  }

  const api = {
    stats,
    onProblem: null,             // the page's one line
    // The game's sound output asks for the synthesiser at `rate`.
    request(rate, polyphony, gain) {
      if (wanted) return;
      wanted = { rate, polyphony, gain };
      state = 'wanted';
      if (allowed) load();
    },
    // The first picture is on the screen: the downloads may start.
    allow() {
      allowed = true;
      if (state === 'wanted') load();
    },
    // 0 loading (or waiting for allow), 1 ready, 2 cannot sound.
    state() { return state === 'ready' ? 1 : state === 'failed' ? 2 : 0; },
    why() { return why; },
    load(bytes) {
      deletePlayer();
      piece = new Uint8Array(bytes);  // a copy: the game's memory moves
      if (state !== 'ready' || !newPlayer()) { piece = null; return false; }
      return true;
    },
    start() {
      // A new player from the file's start (a player at its end does not
      // begin again by itself).
      deletePlayer();
      if (state !== 'ready' || !piece || !newPlayer()) return;
      F._fluid_player_play(player);
      sounding = true;
    },
    pause() {
      if (!player) return;
      sounding = false;
      F._fluid_player_stop(player);
      F._fluid_synth_all_sounds_off(synth, -1);
    },
    resume() {
      if (!player) return;
      F._fluid_player_play(player);
      sounding = true;
    },
    unload() { deletePlayer(); piece = null; },
    silent() {
      if (!sounding || state !== 'ready') return true;
      return (!player || F._fluid_player_get_status(player) === FLUID_PLAYER_DONE) &&
        F._fluid_synth_get_active_voice_count(synth) === 0;
    },
    // `frames` stereo frames of 16-bit samples, interleaved (a view into
    // the library's memory, valid until its next call), or null for
    // silence.
    render(frames) {
      if (!sounding || state !== 'ready' || frames <= 0) return null;
      if (frames > bufferFrames) {
        if (buffer) F._free(buffer);
        buffer = F._malloc(frames * 4);
        bufferFrames = frames;
      }
      F._fluid_synth_write_s16(synth, frames, buffer, 0, 2, buffer, 1, 2);
      const out = new Int16Array(F.HEAPU8.buffer, buffer, frames * 2);
      stats.frames += frames;
      for (let i = 0; i < out.length; i += 64) stats.peak = Math.max(stats.peak, Math.abs(out[i]));
      return out;
    },
  };
  return api;
})();

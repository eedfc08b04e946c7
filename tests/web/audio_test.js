// The page's mixer (framework/web/fwWebAudio.js) on a stand-in for the
// browser's Web Audio graph, in node: the channel rules, the volumes, the
// music's starts, fades and halts, on an audio clock the test moves.
//   node tests/web/audio_test.js
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const vm = require('vm');

class Param {
  constructor(value) { this.value = value; this.events = []; }
  cancelScheduledValues(t) { this.events = this.events.filter(e => e.t < t); }
  setValueAtTime(v, t) { this.events.push({kind: 'set', v, t}); }
  linearRampToValueAtTime(v, t) { this.events.push({kind: 'ramp', v, t}); }
}

// Nodes keep what they were told: their gain's events, when they stop.
const node = fields => Object.assign({connect() {}, disconnect() {}}, fields);

class Context {
  constructor() { Object.assign(this, {state: 'running', currentTime: 0, destination: node()}); }
  createGain() { return node({gain: new Param(1)}); }
  createBufferSource() {
    const source = node({start() {}, stop: t => { source.stopped = t === undefined ? this.currentTime : t; }});
    return source;
  }
  resume() { this.state = 'running'; return Promise.resolve(); }
  suspend() { this.state = 'suspended'; return Promise.resolve(); }
  decodeAudioData(bytes, ok) { ok({duration: 2}); } // every sound lasts 2 s
}

// The module loaded as emscripten links it: each $name a global, each other
// function _name; the fetches answered by answer(url).
function load(answer) {
  const lib = {};
  const world = {
    console: {warn() {}}, Promise, LibraryManager: {library: lib}, Module: {}, fwWeb: {wake() {}},
    setTimeout: () => 0, clearTimeout() {}, // the quiet moment never comes: the test moves the clock
    mergeInto: (into, functions) => Object.assign(into, functions),
    window: {AudioContext: Context, addEventListener() {}, removeEventListener() {}},
    document: {createElement: () => ({canPlayType: type => (/ogg/.test(type) ? 'probably' : '')})},
    HEAPU8: new Uint8Array(16), UTF8ToString: s => s, requestAnimationFrame: f => f(),
    fetches: [], ended: 0,
    fetch: url => world.fetches.push(url) && answer(url),
    _fwWebAudioMusicEnded: () => world.ended++,
  };
  vm.createContext(world);
  vm.runInContext(fs.readFileSync(path.join(__dirname, '../../framework/web/fwWebAudio.js'), 'utf8'), world);
  for (const [name, value] of Object.entries(lib))
    if (!name.endsWith('__deps')) world[name.startsWith('$') ? name.slice(1) : '_' + name] = value;
  assert.strictEqual(world._fwWebAudioOpen(), 1);
  return world;
}

const ok = () => Promise.resolve({ok: true, arrayBuffer: () => Promise.resolve(new ArrayBuffer(4))});
const settle = () => new Promise(resolve => setImmediate(resolve));

async function channels() {
  const w = load(ok);
  const S = w.fwWebSound;
  const clock = S.context;
  const sound = w._fwWebAudioSound(0, 4);
  await settle(); // decoded
  // The first free channel; none when all eight sound.
  for (let i = 0; i < 8; i++) assert.strictEqual(w._fwWebAudioPlay(sound, -1, 0, -1), i);
  assert.strictEqual(w._fwWebAudioPlay(sound, -1, 0, -1), -1, 'nine sounds on eight channels');
  assert.strictEqual(w._fwWebAudioPlaying(-1), 8);
  // A sound played out frees its channel; looped for ever it never ends;
  // a time limit cuts it.
  clock.currentTime = 2.5;
  assert.strictEqual(w._fwWebAudioPlaying(-1), 0);
  assert.strictEqual(w._fwWebAudioPlay(sound, -1, -1, -1), 0);
  assert.strictEqual(w._fwWebAudioPlay(sound, -1, 2, 500), 1);
  assert.strictEqual(S.channels[1].ends, 3, 'three plays of 2 s cut at 0.5 s');
  clock.currentTime = 100;
  assert.deepStrictEqual([w._fwWebAudioPlaying(0), w._fwWebAudioPlaying(1)], [1, 0]);
  // A channel played again stops its sound first.
  const first = S.channels[0].source;
  assert.strictEqual(w._fwWebAudioPlay(sound, 0, 0, -1), 0);
  assert.notStrictEqual(first.stopped, undefined, 'the looped sound goes on under the new one');
  // The channel's volume times the sound's, as SDL_mixer multiplies them.
  w._fwWebAudioChannelVolume(0, 64);
  w._fwWebAudioSoundVolume(sound, 32);
  assert.strictEqual(S.channels[0].gain.gain.value, 64 * 32 / (128 * 128));
  w._fwWebAudioFreeSound(sound);
  assert.strictEqual(w._fwWebAudioPlaying(0), 0, 'a freed sound stops');
}

async function music() {
  const w = load(ok);
  const S = w.fwWebSound;
  const clock = S.context;
  w.fwWebAudioAllowTracks();
  w._fwWebAudioMusicFile('data/musics/track1.ogg');
  // Three plays of the track, faded in over 500 ms.
  w._fwWebAudioMusicStart(3, 500);
  assert.strictEqual(w._fwWebAudioMusicPlaying(), 1, 'playing while its track is fetched');
  await settle();
  const track = S.music.source;
  assert.ok(track, 'the decoded track sounds');
  assert.strictEqual(track.stopped, 6, 'three plays of a 2 s track');
  assert.deepStrictEqual(S.music.fade.gain.events.map(e => [e.kind, e.v, e.t]), [['set', 0, 0], ['ramp', 1, 0.5]]);
  // A fade: the gain down to 0 over its time, the track stopped at its end;
  // asked again meanwhile, nothing more. The end tells the game once.
  clock.currentTime = 1;
  assert.strictEqual(w._fwWebAudioMusicFade(500), 1);
  const events = S.music.fade.gain.events.length;
  clock.currentTime = 1.2;
  assert.strictEqual(w._fwWebAudioMusicFade(500), 1);
  assert.strictEqual(S.music.fade.gain.events.length, events, 'a second fade over the first');
  assert.deepStrictEqual(S.music.fade.gain.events.slice(-1), [{kind: 'ramp', v: 0, t: 1.5}]);
  assert.strictEqual(track.stopped, 1.5);
  track.onended();
  assert.deepStrictEqual([w.ended, w._fwWebAudioMusicPlaying()], [1, 0]);
  assert.strictEqual(w._fwWebAudioMusicFade(500), 0, 'nothing to fade');
  // Halted before its track is decoded, a start never sounds; faded before
  // it sounds, it ends at once, told after the call.
  w._fwWebAudioMusicStart(1, 0);
  w._fwWebAudioMusicHalt();
  await settle();
  assert.strictEqual(S.music.source, null, 'a halted start sounded late');
  w._fwWebAudioMusicStart(1, 0);
  assert.strictEqual(w._fwWebAudioMusicFade(500), 1);
  assert.strictEqual(w.ended, 1, 'told within the call, before the game is back from it');
  await settle();
  assert.deepStrictEqual([w.ended, S.music.source], [2, null]);
  // The track was fetched once for all its starts.
  assert.deepStrictEqual(w.fetches, ['data/musics/track1.ogg']);
}

async function failedFetch() {
  let answers = 0;
  const w = load(() => (++answers === 1 ? Promise.resolve({ok: false, status: 404}) : ok()));
  w.fwWebAudioAllowTracks();
  w._fwWebAudioMusicFile('data/musics/track1.ogg');
  w._fwWebAudioMusicStart(1, 0);
  await settle();
  assert.strictEqual(w.fwWebSound.music.source, null);
  // The next start asks again, and sounds.
  w._fwWebAudioMusicStart(1, 0);
  await settle();
  assert.ok(w.fwWebSound.music.source, 'a track that failed once never sounds');
  assert.strictEqual(w.fetches.length, 2);
}

(async () => {
  for (const test of [channels, music, failedFetch]) {
    try {
      await test();
      console.log(`audio: ${test.name} passed`);
    } catch (e) {
      console.error(`audio: ${test.name} FAILED: ${e.stack}`);
      process.exitCode = 1;
    }
  }
})();

// The page's sound: the web build's SDL_mixer calls (fwWebAudio.cpp) on the
// browser's Web Audio graph. Every effect is decoded once by the browser
// (decodeAudioData) and started as an AudioBufferSourceNode into its
// channel's GainNode (the channel's volume times the sound's, as SDL_mixer
// multiplies them); the music is one track at a time, its bytes fetched from
// beside the page once the title has been shown (the .mp3 copy of the .ogg
// where the browser decodes no Ogg Vorbis), decoded, and played by a
// source node through a fade GainNode and a volume GainNode. Everything meets
// in one GainNode before the speakers. Nothing of the page runs while the
// sound plays: the browser's audio thread plays it all, and a channel is busy
// until its sound's end on the audio clock. The AudioContext is suspended
// until the player's first key, click or touch, while the page is away, and
// while nothing plays.
//
// For the page's test, Module.tessarilSound is null until the audio is
// opened, then {context, out, effects, decoded, music, nearEnd(seconds)}: the
// context, the node all sound passes through, how many effect nodes were
// started, how many sounds are decoded, the music's state ({file, playing,
// sounding, starts}) and a jump of the sounding track to seconds before its
// end.
mergeInto(LibraryManager.library, {
  $fwWebSound: {
    context: null,
    out: null,      // every sound's last node before the speakers
    channels: [],   // {gain, volume (0 .. 128), sound, source, ends (audio clock s)}
    sounds: [],     // by number: {buffer (null until decoded), volume (0 .. 128)}
    effects: 0,     // effect nodes started, for the test
    mp3: false,     // the browser decodes no Ogg Vorbis: the media's MP3 copies play
    effectsReady: false, // the effects this browser plays are in the media folder
    // The browser starts a page's audio only after a user gesture: the first
    // key, click or touch resumes it. Every one tries while the context is
    // suspended (Escape is no gesture; a phone may suspend it again).
    gestures: ['keydown', 'mousedown', 'touchend'],
    held: false,    // the page went away while the sound ran: it goes on when the page is back
    idle: false,    // suspended as nothing plays: the next sound's start resumes it
    quiet: 0,       // the timer for the moment the last effect ends
    CHANNELS: 8,    // SDL_mixer's
    FULL: 128,      // SDL_mixer's loudest volume

    // Tracks: fetched only once allowed (the title shown), each once; the
    // bytes are kept, the decoded samples only of the track last started.
    allow: null,    // resolves the allowance
    allowed: null,  // a promise of it
    tracks: {},     // file name: a promise of its bytes
    music: {
      file: null,     // the track the next start plays
      playing: false, // Mix_PlayingMusic's answer
      times: 1,       // plays of the track for a start, 0 for ever
      fadeInMs: 0,
      run: 0,         // counts the starts and halts: a decoding that comes late is dropped
      fading: false,
      source: null,   // the sounding node, once the track is decoded
      decoded: null,  // {file, buffer}
      starts: 0,      // source nodes started, for the test
      fade: null,     // GainNode of the fades
      volume: null,   // GainNode of the music's volume
    },

    resume: function() {
      if (fwWebSound.context.state === 'suspended' && !fwWebSound.idle) fwWebSound.context.resume();
    },

    // Once nothing plays (no music, every effect over), the context is
    // suspended until the next start (wake): the audio thread rests too.
    rest: function() {
      var S = fwWebSound;
      clearTimeout(S.quiet);
      var context = S.context;
      if (!context || context.state !== 'running' || S.music.playing) return;
      var now = context.currentTime;
      var last = now;
      S.channels.forEach(function(c) {
        if (c.source && c.ends > last) last = c.ends;
      });
      if (last === Infinity) return;
      if (last > now) {
        S.quiet = setTimeout(S.rest, (last - now) * 1000 + 20);
        return;
      }
      S.idle = true;
      context.suspend();
    },

    wake: function() {
      if (!fwWebSound.idle) return;
      fwWebSound.idle = false;
      fwWebSound.context.resume();
    },

    // The page away: the context stops, so every sound waits where it is.
    // Held until it runs again (resuming takes a moment).
    pause: function() {
      var context = fwWebSound.context;
      if (!context || (context.state !== 'running' && !fwWebSound.held)) return;
      fwWebSound.held = true;
      context.suspend();
    },

    unpause: function() {
      var context = fwWebSound.context;
      if (!fwWebSound.held) return;
      context.resume().then(function() {
        if (context.state !== 'running') return;
        fwWebSound.held = false;
        fwWebSound.rest();
      });
    },

    decode: function(bytes) {
      var context = fwWebSound.context;
      return new Promise(function(resolve, reject) {
        context.decodeAudioData(bytes.slice(0), resolve, reject);
      });
    },

    busy: function(channel) {
      var c = fwWebSound.channels[channel];
      return c.source !== null && c.ends > fwWebSound.context.currentTime;
    },

    setGain: function(channel) {
      var c = fwWebSound.channels[channel];
      var sound = fwWebSound.sounds[c.sound];
      var volume = sound ? sound.volume : fwWebSound.FULL;
      c.gain.gain.value = c.volume * volume / (fwWebSound.FULL * fwWebSound.FULL);
    },

    stopChannel: function(c) {
      if (!c.source) return;
      c.source.stop();
      c.source.disconnect();
      c.source = null;
    },

    // The bytes of the file at url beside the page; an answer other than
    // OK rejects.
    fetchBytes: function(url) {
      return fetch(url).then(function(response) {
        if (!response.ok) throw new Error(url + ': ' + response.status);
        return response.arrayBuffer();
      });
    },

    // The bytes of the track, fetched once the title has been shown; a
    // failed fetch is tried again at the track's next start.
    track: function(file) {
      var tracks = fwWebSound.tracks;
      if (!tracks[file]) {
        var url = fwWebSound.mp3 ? file.replace(/\.ogg$/, '.mp3') : file;
        tracks[file] = fwWebSound.allowed.then(function() {
          return fwWebSound.fetchBytes(url);
        });
        tracks[file].catch(function(e) {
          console.warn('the music ' + file + ' could not be fetched: ' + e);
          delete tracks[file];
        });
      }
      return tracks[file];
    },

    // The music's decoded samples; the previous track's are let go.
    decodedTrack: function(file) {
      var m = fwWebSound.music;
      if (m.decoded && m.decoded.file === file) return Promise.resolve(m.decoded.buffer);
      return fwWebSound.track(file).then(fwWebSound.decode).then(function(buffer) {
        m.decoded = {file: file, buffer: buffer};
        return buffer;
      });
    },

    // Starts the decoded track of the current start, from offset seconds: on
    // a suspended context it sounds from the moment the context runs.
    sound: function(buffer, offset) {
      var m = fwWebSound.music;
      var now = fwWebSound.context.currentTime;
      var fade = m.fade.gain;
      fade.cancelScheduledValues(now);
      fade.setValueAtTime(m.fadeInMs > 0 ? 0 : 1, now);
      if (m.fadeInMs > 0) fade.linearRampToValueAtTime(1, now + m.fadeInMs / 1000);
      var source = fwWebSound.context.createBufferSource();
      source.buffer = buffer;
      source.loop = m.times !== 1;
      source.onended = function() {
        if (m.source !== source) return; // halted, or another track took over
        m.source = null;
        m.playing = false;
        m.fading = false;
        _fwWebAudioMusicEnded();
        fwWebSound.rest();
      };
      source.connect(m.fade);
      source.start(now, offset || 0);
      if (m.times > 1) source.stop(now + m.times * buffer.duration - (offset || 0));
      m.source = source;
      m.starts++;
    },

    haltMusic: function() {
      var m = fwWebSound.music;
      m.run++;
      m.playing = false;
      m.fading = false;
      var source = m.source;
      m.source = null;
      if (source) {
        source.stop();
        source.disconnect();
      }
    },

    // The test's view (see the top).
    view: function() {
      var m = fwWebSound.music;
      return {
        context: fwWebSound.context,
        out: fwWebSound.out,
        effects: fwWebSound.effects,
        decoded: fwWebSound.sounds.filter(function(s) { return s && s.buffer; }).length,
        music: {file: m.file, playing: m.playing, sounding: !!m.source, starts: m.starts},
        nearEnd: function(seconds) {
          if (!m.source) return false;
          var buffer = m.source.buffer;
          var times = m.times;
          fwWebSound.haltMusic();
          m.playing = true;
          m.times = times;
          fwWebSound.sound(buffer, Math.max(0, buffer.duration - seconds));
          return true;
        },
      };
    },
  },

  // 1 where the browser decodes Ogg Vorbis, 2 where it decodes MP3 only, 0
  // where neither (as its media element says).
  fwWebAudioFormat: function() {
    var probe = document.createElement('audio');
    if (!probe.canPlayType) return 0;
    if (probe.canPlayType('audio/ogg; codecs="vorbis"') !== '') return 1;
    return probe.canPlayType('audio/mpeg') !== '' ? 2 : 0;
  },

  // Opens the graph, suspended; 1, 0 without Web Audio, -1 where the browser
  // decodes neither format.
  fwWebAudioOpen__deps: ['$fwWebSound', '$fwWeb', 'fwWebAudioFormat'],
  fwWebAudioOpen: function() {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var format = _fwWebAudioFormat();
    if (format === 0) return -1;
    fwWebSound.mp3 = format === 2;
    var context;
    try {
      context = new Context();
    } catch (e) {
      return 0;
    }
    if (context.state === 'running') context.suspend(); // the first gesture's, as in every browser
    var S = fwWebSound;
    S.context = context;
    S.out = context.createGain();
    S.out.connect(context.destination);
    S.channels = [];
    for (var i = 0; i < S.CHANNELS; i++) {
      var gain = context.createGain();
      gain.connect(S.out);
      S.channels.push({gain: gain, volume: S.FULL, sound: -1, source: null, ends: 0});
    }
    S.music.fade = context.createGain();
    S.music.volume = context.createGain();
    S.music.fade.connect(S.music.volume);
    S.music.volume.connect(S.out);
    if (!S.allowed) S.allowed = new Promise(function(resolve) { S.allow = resolve; });
    // A gesture's resume comes after its frame: the game shows it in another.
    context.onstatechange = fwWeb.wake;
    S.gestures.forEach(function(type) {
      window.addEventListener(type, S.resume, true);
    });
    Object.defineProperty(Module, 'tessarilSound', {configurable: true, get: S.view});
    return 1;
  },

  fwWebAudioClose__deps: ['$fwWebSound'],
  fwWebAudioClose: function() {
    var S = fwWebSound;
    S.haltMusic();
    S.channels.forEach(S.stopChannel);
    S.gestures.forEach(function(type) {
      window.removeEventListener(type, S.resume, true);
    });
    S.context.close();
    S.context = null;
  },

  fwWebAudioSound__deps: ['$fwWebSound'],
  fwWebAudioSound: function(bytes, size) {
    var sound = {buffer: null, volume: fwWebSound.FULL};
    fwWebSound.sounds.push(sound);
    fwWebSound.decode(HEAPU8.slice(bytes, bytes + size).buffer).then(function(buffer) {
      sound.buffer = buffer;
    }, function(e) {
      console.warn('a sound could not be decoded: ' + e);
    });
    return fwWebSound.sounds.length - 1;
  },

  fwWebAudioFreeSound__deps: ['$fwWebSound'],
  fwWebAudioFreeSound: function(number) {
    fwWebSound.channels.forEach(function(c) {
      if (c.sound === number) fwWebSound.stopChannel(c);
    });
    fwWebSound.sounds[number] = null;
  },

  fwWebAudioPlay__deps: ['$fwWebSound'],
  fwWebAudioPlay: function(number, channel, loops, ticks) {
    var S = fwWebSound;
    if (channel < 0) {
      for (channel = 0; channel < S.CHANNELS && S.busy(channel); channel++) {}
      if (channel === S.CHANNELS) return -1;
    }
    var c = S.channels[channel];
    S.wake();
    S.stopChannel(c);
    c.sound = number;
    S.setGain(channel);
    var buffer = S.sounds[number] && S.sounds[number].buffer;
    if (!buffer) return channel; // not decoded yet: silent
    var now = S.context.currentTime;
    var source = S.context.createBufferSource();
    source.buffer = buffer;
    source.loop = loops !== 0;
    c.ends = loops < 0 ? Infinity : now + (loops + 1) * buffer.duration;
    if (ticks >= 0) c.ends = Math.min(c.ends, now + ticks / 1000);
    source.connect(c.gain);
    source.start(now);
    if (c.ends !== Infinity) source.stop(c.ends);
    c.source = source;
    S.effects++;
    S.rest(); // at the sound's end, unless something else plays by then
    return channel;
  },

  fwWebAudioPlaying__deps: ['$fwWebSound'],
  fwWebAudioPlaying: function(channel) {
    if (channel >= 0) return fwWebSound.busy(channel) ? 1 : 0;
    var count = 0;
    for (var i = 0; i < fwWebSound.CHANNELS; i++) count += fwWebSound.busy(i) ? 1 : 0;
    return count;
  },

  fwWebAudioChannelVolume__deps: ['$fwWebSound'],
  fwWebAudioChannelVolume: function(channel, volume) {
    fwWebSound.channels[channel].volume = volume;
    fwWebSound.setGain(channel);
  },

  fwWebAudioSoundVolume__deps: ['$fwWebSound'],
  fwWebAudioSoundVolume: function(number, volume) {
    var S = fwWebSound;
    if (S.sounds[number]) S.sounds[number].volume = volume;
    for (var i = 0; i < S.CHANNELS; i++)
      if (S.channels[i].sound === number) S.setGain(i);
  },

  fwWebAudioMusicFile__deps: ['$fwWebSound'],
  fwWebAudioMusicFile: function(file) {
    fwWebSound.music.file = UTF8ToString(file);
  },

  // Plays as soon as the track is decoded (at once when it is).
  fwWebAudioMusicStart__deps: ['$fwWebSound'],
  fwWebAudioMusicStart: function(times, fadeInMs) {
    var S = fwWebSound;
    var m = S.music;
    S.haltMusic();
    S.wake();
    m.playing = true;
    m.times = times;
    m.fadeInMs = fadeInMs;
    var run = m.run;
    S.decodedTrack(m.file).then(function(buffer) {
      if (m.run === run) S.sound(buffer);
    }, function() {}); // told by track(); the music stays silent until its next start
  },

  // The fade is a ramp of its gain to 0 on the audio clock, the track's end
  // the ramp's; a track not yet sounding ends at once.
  fwWebAudioMusicFade__deps: ['$fwWebSound'],
  fwWebAudioMusicFade: function(ms) {
    var S = fwWebSound;
    var m = S.music;
    if (!m.playing) return 0;
    if (m.fading) return 1;
    if (!m.source) {
      S.haltMusic();
      Promise.resolve().then(function() {
        _fwWebAudioMusicEnded();
        S.rest();
      });
      return 1;
    }
    m.fading = true;
    var now = S.context.currentTime;
    var fade = m.fade.gain;
    fade.cancelScheduledValues(now);
    fade.setValueAtTime(fade.value, now);
    fade.linearRampToValueAtTime(0, now + ms / 1000);
    m.source.stop(now + ms / 1000);
    return 1;
  },

  fwWebAudioMusicHalt__deps: ['$fwWebSound'],
  fwWebAudioMusicHalt: function() {
    fwWebSound.haltMusic();
    fwWebSound.rest();
  },

  fwWebAudioMusicPlaying__deps: ['$fwWebSound'],
  fwWebAudioMusicPlaying: function() {
    return fwWebSound.music.playing ? 1 : 0;
  },

  fwWebAudioMusicVolume__deps: ['$fwWebSound'],
  fwWebAudioMusicVolume: function(volume) {
    fwWebSound.music.volume.gain.value = volume / fwWebSound.FULL;
  },

  // 1 while the page's audio waits for the player's first gesture.
  fwWebAudioWaits__deps: ['$fwWebSound'],
  fwWebAudioWaits: function() {
    var context = fwWebSound.context;
    return context && context.state !== 'running' && !fwWebSound.held && !fwWebSound.idle ? 1 : 0;
  },

  // A browser without Ogg Vorbis plays the effects' MP3 copies, which stay
  // out of tessaril.data (every other browser would download them for
  // nothing): they are fetched from beside the page (data/sounds/NAME.mp3,
  // one for each packaged NAME.ogg) into the media folder before the game
  // starts; fwWebAudioEffectsReady says when. One that cannot be fetched is
  // missing, as a missing file is on the desktop.
  fwWebAudioFetchEffects__deps: ['$fwWebSound', '$FS', 'fwWebAudioFormat'],
  fwWebAudioFetchEffects: function(folderPtr) {
    var S = fwWebSound;
    var folder = UTF8ToString(folderPtr);
    S.effectsReady = _fwWebAudioFormat() !== 2;
    if (S.effectsReady) return;
    var names = FS.readdir(folder).filter(function(name) { return /\.ogg$/.test(name); });
    Promise.all(names.map(function(name) {
      var mp3 = name.replace(/\.ogg$/, '.mp3');
      return S.fetchBytes('data/sounds/' + mp3).then(function(bytes) {
        FS.writeFile(folder + '/' + mp3, new Uint8Array(bytes));
      }).catch(function(e) {
        console.warn('the sound ' + mp3 + ' could not be fetched: ' + e);
      });
    })).then(function() { S.effectsReady = true; });
  },

  fwWebAudioEffectsReady__deps: ['$fwWebSound'],
  fwWebAudioEffectsReady: function() {
    return fwWebSound.effectsReady ? 1 : 0;
  },

  // The title has been shown: the tracks may be fetched. Resolves once the
  // first track has arrived (or could not be).
  $fwWebAudioAllowTracks__deps: ['$fwWebSound'],
  $fwWebAudioAllowTracks: function() {
    var S = fwWebSound;
    if (!S.allowed) return Promise.resolve();
    // From the next animation frame on: the title's own is painted first.
    requestAnimationFrame(function() { S.allow(); });
    return S.music.file ? S.track(S.music.file).then(function() {}, function() {}) : Promise.resolve();
  },
});

// The page's side of fwWebStore.cpp (an emscripten JavaScript library): the
// player's files shared by the page's tabs through the browser's storage, a
// change applied to the stored entry in one transaction and told to the
// other tabs (BroadcastChannel), and claims as Web Locks.
mergeInto(LibraryManager.library, {
  $fwWebStore__deps: ['$fwWeb', '$FS', '$IDBFS'],
  $fwWebStore: {
    claimed: {},       // Web Locks held by any tab, as last asked (lock name -> true)
    claims: {},        // this tab's claims: lock name -> {release}
    released: {},      // this tab's claims let go, their locks maybe not yet
    lost: {},          // this tab's claims another tab's lock won: lock name -> true

    // A change of a shared file (fwWebStore.cpp), applied by this tab to its
    // own copy already: in one transaction of the browser's database the
    // stored entry is read, the change applied to its bytes again (the
    // module keeps it under ticket until fwWebChangeDone) and the result put
    // or deleted; once committed, this tab's folders hold the result and the
    // other tabs hear of it.
    changeStored: function(name, ticket) {
      if (fwWeb.away) return fwWebStore.keepLeaving(name, ticket);
      var path = fwWeb.storedPath(name);
      var result;
      var done = fwWeb.pend(name, function(error) {
        if (error) fwWeb.lose(error);
        else {
          // A later change of this tab's own is newer still.
          if (!fwWeb.pending[name.substring(name.lastIndexOf('/') + 1)]) fwWebStore.place(name, result);
          fwWeb.tell(name);
        }
        setTimeout(function() {
          _fwWebChangeDone(ticket, error ? 0 : 1);
          fwWeb.wake();
        }, 0);
      });
      fwWeb.commit(function() {}, function(store) {
        var request = store.get(path);
        request.onsuccess = function() {
          var entry = request.result;
          var bytes = entry && entry.contents ? new Uint8Array(entry.contents) : null;
          if (bytes) HEAPU8.set(bytes, _fwWebStoredBytes(ticket, bytes.length));
          var size = _fwWebApplyStored(ticket, bytes ? 1 : 0);
          if (size < 0) {
            result = null;
            if (entry) store.delete(path);
            return;
          }
          var at = _fwWebChangedBytes(ticket);
          result = {timestamp: new Date(), mode: entry ? entry.mode : 33206,
                    contents: HEAPU8.slice(at, at + size)};
          store.put(result, path);
        };
        return true;
      }, done);
    },

    // The page is out of sight and may be leaving: its read of the stored
    // entry might never be answered, so this tab's copy (its change applied)
    // is put at once, as a save is.
    keepLeaving: function(name, ticket) {
      var answer = function(error) {
        if (error) fwWeb.lose(error);
        setTimeout(function() { _fwWebChangeDone(ticket, error ? 0 : 1); }, 0);
      };
      if (FS.analyzePath(name).exists) fwWeb.keep(name, answer);
      else fwWeb.drop(name, answer);
    },

    // A stored entry (as IDBFS writes one: timestamp, mode, contents; null:
    // none) as the file name of this tab's working folder and of its storage
    // folder, dated as stored: the game orders kept games by their time.
    place: function(name, entry) {
      var base = name.substring(name.lastIndexOf('/') + 1);
      [fwWeb.home + '/' + base, fwWeb.store + '/' + base].forEach(function(path) {
        if (!entry) {
          if (FS.analyzePath(path).exists) FS.unlink(path);
          return;
        }
        FS.writeFile(path, entry.contents);
        var ms = new Date(entry.timestamp).getTime();
        FS.utime(path, ms, ms);
      });
    },

    // Another tab stored the file name: its stored entry comes into this
    // tab's folders, where the title and the tables read it when shown.
    heard: function(name) {
      if (typeof name !== 'string' || name.indexOf('/') >= 0) return;
      IDBFS.getDB(fwWeb.store, function(error, db) {
        if (error) return;
        var request = db.transaction([IDBFS.DB_STORE_NAME], 'readonly')
                        .objectStore(IDBFS.DB_STORE_NAME).get(fwWeb.store + '/' + name);
        request.onsuccess = function() {
          // This tab's own change, not yet committed, is newer than the entry.
          if (fwWeb.pending[name]) return;
          fwWebStore.place(name, request.result || null);
          fwWeb.wake();
        };
      });
      fwWebStore.refreshClaims();
    },

    // The tabs of the page: each hears the others' stored files, and the
    // claims held in any are asked again whenever something may have moved.
    listenTabs: function() {
      if (typeof BroadcastChannel !== 'undefined') {
        fwWeb.channel = new BroadcastChannel('tessaril');
        fwWeb.channel.onmessage = function(e) {
          var data = e.data || {};
          if (typeof data.claim === 'string') {
            // Another tab claimed it a moment ago: taken here at once, before
            // the locks' own answer could tell.
            fwWebStore.claimed[data.claim] = true;
            fwWeb.wake();
          } else if (typeof data.unclaim === 'string') {
            fwWebStore.refreshClaims();
          } else {
            fwWebStore.heard(data.file);
          }
        };
      }
      document.addEventListener('visibilitychange', fwWebStore.refreshClaims);
      fwWebStore.refreshClaims();
    },

    // Claims are Web Locks named after their file; where the browser has
    // none, nothing is claimed elsewhere.
    lockName: function(name) { return 'tessaril:' + name; },
    locks: function() { return navigator.locks && navigator.locks.request ? navigator.locks : null; },

    // The locks held by any tab (this one's too), asked again: the module
    // reads the answer (fwWebClaimed) without waiting.
    refreshClaims: function() {
      var locks = fwWebStore.locks();
      if (!locks) return;
      locks.query().then(function(state) {
        var claimed = {};
        (state.held || []).forEach(function(lock) { claimed[lock.name] = true; });
        fwWebStore.claimed = claimed;
        fwWeb.wake();
      }, function() {});
    },

    // Does a tab hold the lock (this one's claims too), as far as this one knows?
    isClaimed: function(lock) {
      return !!fwWebStore.claims[lock] || (!!fwWebStore.claimed[lock] && !fwWebStore.released[lock]);
    },

    // Claims name unless a tab holds it as far as this one knows: the lock
    // is asked for at once and held until unclaim.
    claim: function(name) {
      var locks = fwWebStore.locks();
      var lock = fwWebStore.lockName(name);
      if (!locks) return true;
      if (fwWebStore.isClaimed(lock)) return false;
      var holder = {release: null};
      var ownLetGo = !!fwWebStore.released[lock]; // this tab's own lock, on its way out
      fwWebStore.claims[lock] = holder;
      fwWebStore.claimed[lock] = true;
      if (fwWeb.channel) fwWeb.channel.postMessage({claim: lock});
      var hold = function(granted) {
        if (fwWebStore.claims[lock] !== holder) return; // let go before it was granted
        if (!granted && ownLetGo) {
          // This tab's own claim let go a moment ago: its lock is waited for.
          return locks.request(lock, hold);
        }
        if (!granted) {
          // Another tab claimed it first, before this one could hear of it:
          // the claim is lost, and the game gives the game up (fwWebClaimLost).
          console.log(name + ': claimed by another tab first');
          fwWebStore.lost[lock] = true;
          fwWeb.wake();
          return;
        }
        return new Promise(function(resolve) {
          holder.release = resolve;
          fwWebStore.refreshClaims();
        });
      };
      var settled = function() {
        delete fwWebStore.released[lock];
        fwWebStore.refreshClaims();
      };
      locks.request(lock, {ifAvailable: true}, hold).then(settled, settled);
      return true;
    },

    unclaim: function(name) {
      var lock = fwWebStore.lockName(name);
      var holder = fwWebStore.claims[lock];
      delete fwWebStore.claims[lock];
      delete fwWebStore.claimed[lock];
      delete fwWebStore.lost[lock];
      if (!holder) return;
      // Until its request settles, queries may still name the lock.
      fwWebStore.released[lock] = true;
      if (holder.release) holder.release();
      if (fwWeb.channel) fwWeb.channel.postMessage({unclaim: lock});
    }
  },

  // A change of a shared file, applied here already, applied again to the
  // storage's entry under ticket (fwWebStore.cpp).
  fwWebChangeStored__deps: ['$fwWebStore'],
  fwWebChangeStored: function(namePtr, ticket) {
    fwWebStore.changeStored(UTF8ToString(namePtr), ticket);
  },

  // Claims (Web Locks): take one (1, or 0 when a tab holds it), let one go,
  // and whether any tab holds one, as last asked.
  fwWebClaim__deps: ['$fwWebStore'],
  fwWebClaim: function(namePtr) {
    return fwWebStore.claim(UTF8ToString(namePtr)) ? 1 : 0;
  },
  fwWebUnclaim__deps: ['$fwWebStore'],
  fwWebUnclaim: function(namePtr) {
    fwWebStore.unclaim(UTF8ToString(namePtr));
  },
  fwWebClaimLost__deps: ['$fwWebStore'],
  fwWebClaimLost: function(namePtr) {
    return fwWebStore.lost[fwWebStore.lockName(UTF8ToString(namePtr))] ? 1 : 0;
  },
  fwWebClaimed__deps: ['$fwWebStore'],
  fwWebClaimed: function(namePtr) {
    var lock = fwWebStore.lockName(UTF8ToString(namePtr));
    return fwWebStore.isClaimed(lock) ? 1 : 0;
  },
});

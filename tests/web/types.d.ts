// The names the browser checks share, for TypeScript's checker (tsconfig.node.json).
type Engine = import('./engines.mjs').Engine;
type Results = Array<[said: string, ok: boolean]>;
type Served = Awaited<ReturnType<typeof import('./site.mjs').host>>;
type Scenario = (engine: Engine, served: Served, results: Results) => Promise<any>;
